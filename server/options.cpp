#include "options.h"

#include "capture_model.h"
#include "format_text.h"
#include "playback.h"

#include <arpa/inet.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string_view>

namespace vesksim {

namespace {

std::optional<uint64_t> parse_unsigned(const std::string& text, uint64_t most) {
    // strtoull would take a sign or leading blanks.
    if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > most) return std::nullopt;
    return value;
}

std::optional<std::string> set_listen(sim_options& o, const std::string& text) {
    const auto colon = text.rfind(':');
    const std::string bad = format_text("--listen wants ADDRESS:PORT with an IPv4 address, not '%s'",
                                        text.c_str());
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

std::optional<std::string> set_channels(uint32_t& field, const char* name, const std::string& text) {
    const auto count = parse_unsigned(text, device::max_channels);
    if (!count || *count < 1)
        return format_text("%s wants a channel count from 1 to 32, not '%s'", name, text.c_str());
    field = static_cast<uint32_t>(*count);
    return std::nullopt;
}

std::optional<std::string> set_word(uint32_t& field, const char* name, const std::string& text) {
    const auto word = parse_unsigned(text, 0xFFFFFFFFu);
    if (!word) return format_text("%s wants a 32-bit number, not '%s'", name, text.c_str());
    field = static_cast<uint32_t>(*word);
    return std::nullopt;
}

std::optional<std::string> set_speed(sim_options& o, const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const double speed = std::strtod(text.c_str(), &end);
    const bool in_range = speed == 0 || (speed >= min_speed && speed <= max_speed);
    if (text.empty() || errno != 0 || *end != '\0' || !in_range)
        return format_text("--speed wants 0 or a number from %g to %g, not '%s'", min_speed,
                           max_speed, text.c_str());
    o.speed = speed;
    return std::nullopt;
}

std::optional<std::string> set_hardware(sim_options& o, const std::string& text) {
    if (text == "c3") o.hardware = hardware_kind::c3;
    else if (text == "b") o.hardware = hardware_kind::b;
    else return format_text("--hardware wants c3 or b, not '%s'", text.c_str());
    return std::nullopt;
}

using value_setter = std::function<std::optional<std::string>(sim_options&, const std::string&)>;

struct option_with_value {
    std::string_view name;
    value_setter set;
};

const option_with_value value_options[] = {
    {"--listen", set_listen},
    {"--port-file",
     [](sim_options& o, const std::string& v) -> std::optional<std::string> {
         if (v.empty()) return "--port-file wants a path";
         o.port_file = v;
         return std::nullopt;
     }},
    {"--hardware", set_hardware},
    {"--outputs", [](sim_options& o, const std::string& v) { return set_channels(o.outputs, "--outputs", v); }},
    {"--inputs", [](sim_options& o, const std::string& v) { return set_channels(o.inputs, "--inputs", v); }},
    {"--setup", [](sim_options& o, const std::string& v) { return set_word(o.setup_word, "--setup", v); }},
    {"--supported",
     [](sim_options& o, const std::string& v) { return set_word(o.supported_mask, "--supported", v); }},
    {"--speed", set_speed},
};

}  // namespace

parsed_options parse_options(std::span<const char* const> arguments) {
    sim_options o;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view word = arguments[i];
        if (word == "--help" || word == "-h") { o.help = true; continue; }
        if (word == "--once") { o.once = true; continue; }
        if (word == "--verbose") { o.verbose = true; continue; }

        const auto equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        const option_with_value* option = nullptr;
        for (const auto& candidate : value_options)
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
    return format_text(
        "Usage: vesksim [options]\n"
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
        "  --once              exit when the first client session ends\n"
        "  --verbose           one line per request and reply on standard error\n"
        "  --help              show this text\n"
        "\n"
        "What the inputs hear, by loopback:\n"
        "  2 server  the same-numbered output, sample for sample\n"
        "  1 i2s     that output through the codec: quantised to 24 bits and %u samples\n"
        "            late\n"
        "  0 none    a device under test: that output at half amplitude (-6 dB), %u\n"
        "            samples late, with a deterministic noise floor of up to +-%d\n"
        "            24-bit steps, quantised to 24 bits\n"
        "Inputs without a same-numbered output hear silence (server, i2s) or the noise\n"
        "floor (none). Capture blocks started unaligned begin a quarter block early.\n"
        "LINK answers with the command bytes themselves.\n"
        "The codec halts %u ms (simulated) after playback ends or stops.\n"
        "SIGINT and SIGTERM end the server cleanly.\n",
        default_setup_word, default_supported_mask, i2s_delay_samples, dut_delay_samples,
        dut_noise_peak, halt_ms);
}

}  // namespace vesksim
