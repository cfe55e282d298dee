#include "options.h"

#include "capture_model.h"
#include "format_text.h"
#include "playback.h"

#include <arpa/inet.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string_view>

namespace vesksim {

namespace {

std::optional<uint64_t> parse_unsigned(const std::string &text, uint64_t most) {
    // strtoull would take a sign or leading blanks.
    if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > most) return std::nullopt;
    return value;
}

std::optional<std::string> set_listen(sim_options &o, const std::string &text) {
    const auto colon = text.rfind(':');
    const std::string bad = format_text("--listen wants ADDRESS:PORT with an IPv4 address, not '%s'", text.c_str());
    if (colon == std::string::npos) return bad;
    in_addr address{};
    const std::string host = text.substr(0, colon);
    if (inet_pton(AF_INET, host.c_str(), &address) != 1) return bad;
    const auto port = parse_unsigned(text.substr(colon + 1), 65535);
    if (!port) return bad;
    o.listen_address = host;
    o.listen_port = static_cast<uint16_t>(*port);
    return std::nullopt;
}

std::optional<std::string> set_channels(uint32_t &field, const char *name, const std::string &text) {
    const auto count = parse_unsigned(text, device::max_channels);
    if (!count || *count < 1) return format_text("%s wants a channel count from 1 to 32, not '%s'", name, text.c_str());
    field = static_cast<uint32_t>(*count);
    return std::nullopt;
}

std::optional<std::string> set_word(uint32_t &field, const char *name, const std::string &text) {
    const auto word = parse_unsigned(text, 0xFFFFFFFFu);
    if (!word) return format_text("%s wants a 32-bit number, not '%s'", name, text.c_str());
    field = static_cast<uint32_t>(*word);
    return std::nullopt;
}

std::optional<std::string> set_speed(sim_options &o, const std::string &text) {
    errno = 0;
    char *end = nullptr;
    const double speed = std::strtod(text.c_str(), &end);
    const bool in_range = speed == 0 || (speed >= min_speed && speed <= max_speed);
    if (text.empty() || errno != 0 || *end != '\0' || !in_range)
        return format_text("--speed wants 0 or a number from %g to %g, not '%s'", min_speed, max_speed, text.c_str());
    o.speed = speed;
    return std::nullopt;
}

std::optional<std::string> set_hardware(sim_options &o, const std::string &text) {
    if (text == "c3")
        o.hardware = hardware_kind::c3;
    else if (text == "b")
        o.hardware = hardware_kind::b;
    else
        return format_text("--hardware wants c3 or b, not '%s'", text.c_str());
    return std::nullopt;
}

// A level in dB from `lowest` to `highest`, or "off" where `may_be_off`.
std::optional<double> parse_level(const std::string &text, double lowest, double highest, bool may_be_off) {
    if (may_be_off && text == "off") return level_off;
    // strtod would take leading blanks, "inf" and "nan".
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const double level = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(level >= lowest && level <= highest)) return std::nullopt;
    return level;
}

std::optional<std::string> set_dut_item(dut_impairments &dut, const std::string &item) {
    const auto equals = item.find('=');
    const std::string key = item.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
    const auto bad_level = [&](const char *range) {
        return format_text("--dut %s wants %s, not '%s'", key.c_str(), range, value.c_str());
    };
    if (key == "gain") {
        dut.gain_db = parse_level(value, -200, 60, false);
        if (!dut.gain_db) return bad_level("dB from -200 to 60");
        return std::nullopt;
    }
    if (key == "delay") {
        const auto delay = parse_unsigned(value, max_dut_delay);
        if (!delay)
            return format_text("--dut delay wants samples from 0 to %u, not '%s'", max_dut_delay, value.c_str());
        dut.delay = static_cast<uint32_t>(*delay);
        return std::nullopt;
    }
    if (key == "skew") {
        const auto skew = parse_unsigned(value, max_dut_skew);
        if (!skew) return format_text("--dut skew wants samples from 0 to %u, not '%s'", max_dut_skew, value.c_str());
        dut.skew = static_cast<uint32_t>(*skew);
        return std::nullopt;
    }
    if (key == "highpass" || key == "lowpass") {
        const auto corner = parse_level(value, 0, std::numeric_limits<double>::max(), true);
        if (!corner || *corner == 0) return bad_level("a corner in Hz above 0, or off");
        auto &field = key == "highpass" ? dut.highpass_hz : dut.lowpass_hz;
        field = corner == level_off ? std::nullopt : corner;
        return std::nullopt;
    }
    if (key == "noise") {
        dut.noise_dbfs = parse_level(value, -200, 0, true);
        if (!dut.noise_dbfs) return bad_level("dBFS from -200 to 0, or off");
        return std::nullopt;
    }
    if (key == "thd" || key == "crosstalk") {
        const bool thd = key == "thd";
        const auto level = parse_level(value, -200, thd ? -20 : 0, true);
        if (!level) return bad_level(thd ? "dB from -200 to -20, or off" : "dB from -200 to 0, or off");
        (thd ? dut.thd_db : dut.crosstalk_db) = *level;
        return std::nullopt;
    }
    return format_text("--dut wants KEY=VALUE items, separated by commas, of gain, delay, noise, "
                       "thd, crosstalk, highpass, lowpass or skew, not '%s'",
                       item.c_str());
}

// Keys not given keep what they had, so --dut may come more than once.
std::optional<std::string> set_dut(sim_options &o, const std::string &text) {
    size_t from = 0;
    for (;;) {
        const size_t comma = text.find(',', from);
        if (auto error = set_dut_item(o.dut, text.substr(from, comma - from))) return error;
        if (comma == std::string::npos) return std::nullopt;
        from = comma + 1;
    }
}

using value_setter = std::function<std::optional<std::string>(sim_options &, const std::string &)>;

struct option_with_value {
    std::string_view name;
    value_setter set;
};

const option_with_value value_options[] = {
    {"--listen", set_listen},
    {"--port-file",
     [](sim_options &o, const std::string &v) -> std::optional<std::string> {
         if (v.empty()) return "--port-file wants a path";
         o.port_file = v;
         return std::nullopt;
     }},
    {"--hardware", set_hardware},
    {"--outputs", [](sim_options &o, const std::string &v) { return set_channels(o.outputs, "--outputs", v); }},
    {"--inputs", [](sim_options &o, const std::string &v) { return set_channels(o.inputs, "--inputs", v); }},
    {"--setup", [](sim_options &o, const std::string &v) { return set_word(o.setup_word, "--setup", v); }},
    {"--supported", [](sim_options &o, const std::string &v) { return set_word(o.supported_mask, "--supported", v); }},
    {"--speed", set_speed},
    {"--dut", set_dut},
};

}  // namespace

parsed_options parse_options(std::span<const char *const> arguments) {
    sim_options o;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view word = arguments[i];
        if (word == "--help" || word == "-h") {
            o.help = true;
            continue;
        }
        if (word == "--once") {
            o.once = true;
            continue;
        }
        if (word == "--verbose") {
            o.verbose = true;
            continue;
        }

        const auto equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        const option_with_value *option = nullptr;
        for (const auto &candidate : value_options)
            if (candidate.name == name) option = &candidate;
        if (!option) return {std::nullopt, format_text("unknown option '%s'", arguments[i])};

        std::string value;
        if (equals != std::string_view::npos) {
            value = std::string(word.substr(equals + 1));
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return {std::nullopt, format_text("%s wants a value", std::string(name).c_str())};
        }
        if (auto error = option->set(o, value)) return {std::nullopt, *error};
    }
    return {o, ""};
}

std::string usage_text() {
    const unsigned halt_ms = static_cast<unsigned>(halt_delay.count());
    return format_text("Usage: vesksim [options]\n"
                       "A simulated audio server of Plenar audio test hardware, for veskplay and\n"
                       "every other client of veskclient. It serves one client session at a time.\n"
                       "\n"
                       "Options:\n"
                       "  --listen ADDR:PORT  where to listen (default 127.0.0.1:1024; port 0 picks a\n"
                       "                      free port)\n"
                       "  --port-file PATH    write the port to PATH once listening\n"
                       "  --hardware c3|b     Plenar-C3 (default) or Plenar-B hardware\n"
                       "  --outputs N         output channels, 1 to 32 (default 2)\n"
                       "  --inputs N          input channels, 1 to 32 (default 2)\n"
                       "  --setup WORD        the C3 set-up word at start (default 0x%08X)\n"
                       "  --supported MASK    the fields of the set-up word the hardware has\n"
                       "                      (default 0x%08X, every field)\n"
                       "  --speed X           1 plays in real time (default), 0 as fast as the\n"
                       "                      client reads, any other value (0.001 to 1000000) that\n"
                       "                      multiple of real time\n"
                       "  --dut KEY=VALUE,... the device under test of loopback 0 (none); any of:\n"
                       "                      gain=DB       its gain, -200 to 60 (default exactly half)\n"
                       "                      delay=N       samples late, 0 to %u (default %u)\n"
                       "                      noise=DBFS    RMS of a uniform noise, -200 to 0 (a full-\n"
                       "                                    scale sine is 0 dBFS), or off (default:\n"
                       "                                    integer steps of up to +-%d 24-bit steps)\n"
                       "                      thd=DB        third harmonic of a full-scale sine, -200\n"
                       "                                    to -20, or off (default)\n"
                       "                      crosstalk=DB  input n hears outputs n-1 and n+1 at this\n"
                       "                                    level, -200 to 0, or off (default)\n"
                       "                      highpass=HZ   a second-order Butterworth highpass, its\n"
                       "                                    corner above 0 and below rate/2, or off\n"
                       "                                    (default)\n"
                       "                      lowpass=HZ    the same as a lowpass\n"
                       "                      skew=S        input n a further n*S samples late, 0\n"
                       "                                    to %u (default 0)\n"
                       "  --once              exit when the first client session ends\n"
                       "  --verbose           one line per request and reply on standard error\n"
                       "  --help              show this text\n"
                       "\n"
                       "What the inputs hear, by loopback:\n"
                       "  2 server  the same-numbered output, sample for sample\n"
                       "  1 i2s     that output through the codec: quantised to 24 bits and %u samples\n"
                       "            late\n"
                       "  0 none    a device under test: by default that output at half amplitude\n"
                       "            (-6 dB), %u samples late, with a deterministic noise floor of up\n"
                       "            to +-%d 24-bit steps. With --dut input n hears, delay + n*skew\n"
                       "            samples late,\n"
                       "              H(gain * (x - c x^3 + crosstalk * (x[n-1] + x[n+1]))) + noise\n"
                       "            x being output n (1 = full scale) and c = 4h / (1 + 3h), h the thd\n"
                       "            as a ratio: a sine of amplitude A below rate/6 gets a THD of\n"
                       "            cA^2 / (4 - 3cA^2): exactly thd at full scale, about 2 dB lower\n"
                       "            per dB below it. H is the highpass and lowpass set, bilinear\n"
                       "            transforms with the corner pre-warped, at the rate output starts\n"
                       "            at; with K = tan(pi corner/rate), W = tan(pi f/rate)/K, the\n"
                       "            lowpass gives f a gain of 1/sqrt(1+W^4) and a phase of\n"
                       "            -atan2(sqrt2 W, 1-W^2), the highpass W^2/sqrt(1+W^4) and\n"
                       "            180 degrees - atan2(sqrt2 W, 1-W^2). The result is floored to 24\n"
                       "            bits and saturates.\n"
                       "Inputs without a same-numbered output hear silence (server, i2s) or the noise\n"
                       "floor and crosstalk (none). Capture blocks started unaligned begin a quarter\n"
                       "block early.\n"
                       "LINK answers with the command bytes themselves.\n"
                       "The codec halts %u ms (simulated) after playback ends or stops.\n"
                       "SIGINT and SIGTERM end the server cleanly.\n",
                       default_setup_word, default_supported_mask, max_dut_delay, dut_delay_samples, dut_noise_peak,
                       max_dut_skew, i2s_delay_samples, dut_delay_samples, dut_noise_peak, halt_ms);
}

}  // namespace vesksim
