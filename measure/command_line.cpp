#include "command_line.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "measure_error.h"

namespace {

constexpr int64_t shortest_window = 16, longest_window = 1 << 22;

int64_t whole_number(const std::string &option, const std::string &text, int64_t low, int64_t high) {
    char *end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high)
        throw measure_error(option + " takes a whole number from " + std::to_string(low) + " to " +
                            std::to_string(high) + ", not \"" + text + "\".");
    return v;
}

void plot_range(const std::string &text, measure_settings &s) {
    size_t colon = text.find(':');
    char *end = nullptr;
    bool ok = colon != std::string::npos && colon > 0;
    if (ok) {
        s.plot_low_db = std::strtod(text.c_str(), &end);
        ok = end == text.c_str() + colon;
    }
    if (ok) {
        s.plot_high_db = std::strtod(text.c_str() + colon + 1, &end);
        ok = colon + 1 < text.size() && *end == '\0';
    }
    if (!ok || !std::isfinite(s.plot_low_db) || !std::isfinite(s.plot_high_db) || !(s.plot_low_db < s.plot_high_db))
        throw measure_error("--plot-range takes LOW:HIGH in dB, LOW below HIGH, not \"" + text + "\".");
}

}  // namespace

std::string usage_text() {
    return "Usage: veskmeasure [options] CAPTURE...\n"
           "Measures capture files of veskplay (raw signed 32-bit samples in host order,\n"
           "one channel each; per-block files of one channel joined by commas) and checks\n"
           "the figures against limits.\n"
           "  --rate HZ         sample rate (default 48000)\n"
           "  --block N         block size in samples (default 1024)\n"
           "  --window N        window for the worst-window figures (default one block)\n"
           "  --reference FILE  what the captures should match: latency and bit-exactness;\n"
           "                    given once per channel, each channel's own; a multitone\n"
           "                    gives response, phase, tdn and the crosstalk matrix\n"
           "  --latency-range N  largest latency searched, either way (default 65536)\n"
           "  --24bit           compare only the upper 24 bits of each sample\n"
           "  --driven N        channel N carries the signal; crosstalk on the others\n"
           "  --weighting W     a (A-weighting), 468 (ITU-R 468) or none (default) for\n"
           "                    thdn, snr, noise and dr\n"
           "  --limit EXPR      a limit, e.g. thdn<=-80, level=-6+-0.5, worst:thdn<=-70, bitexact\n"
           "  --limits FILE     limits, one per line\n"
           "  --json FILE       every figure and verdict as JSON (- for standard output)\n"
           "  --junit FILE      one JUnit test case per channel and limit\n"
           "  --plot FILE.png   spectrum and waveform of each channel\n"
           "  --plot-range LOW:HIGH  the spectrum's level axis in dBFS (default automatic)\n"
           "  --help            this text\n"
           "Figures: level peak dc freq thd thdn snr noise dr latency bitexact crosstalk;\n"
           "with a multitone: flatness flatness[LOW:HIGH] tdn gain-match phase-match.\n"
           "Exit status: 0 every limit holds, 1 a limit fails, 2 bad input.\n";
}

measure_settings parse_command_line(int argc, const char *const *argv) {
    measure_settings s;
    std::vector<std::string> args(argv + 1, argv + argc);
    int64_t driven = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i], value;
        bool operand = option.size() < 2 || option[0] != '-' || option == "-";
        if (operand) {
            s.channels.push_back(option);
            continue;
        }
        if (option == "--help") {
            s.help = true;
            return s;
        }
        if (option == "--24bit") {
            s.upper_24_bits = true;
            continue;
        }
        size_t equals = option.find('=');
        if (equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.erase(equals);
        } else {
            static const char *const takes_value[] = {
                "--rate", "--block", "--window", "--reference",     "--driven",     "--limit",    "--limits",
                "--json", "--junit", "--plot",   "--latency-range", "--plot-range", "--weighting"};
            bool known = false;
            for (const char *name : takes_value) known = known || option == name;
            if (!known) throw measure_error("Unknown option " + option + " (see veskmeasure --help).");
            if (i + 1 >= args.size()) throw measure_error(option + " needs a value.");
            value = args[++i];
        }
        if (option == "--rate")
            s.rate = static_cast<double>(whole_number(option, value, 1, 10000000));
        else if (option == "--block")
            s.block = whole_number(option, value, shortest_window, longest_window);
        else if (option == "--window")
            s.window = whole_number(option, value, shortest_window, longest_window);
        else if (option == "--reference")
            s.references.push_back(value);
        else if (option == "--driven")
            driven = whole_number(option, value, 0, INT_MAX);
        else if (option == "--limit")
            s.limits.push_back(parse_limit(value));
        else if (option == "--limits") {
            s.limits_files.push_back(value);
            for (limit &l : read_limits_file(value)) s.limits.push_back(l);
        } else if (option == "--json")
            s.json_path = value;
        else if (option == "--junit")
            s.junit_path = value;
        else if (option == "--plot")
            s.plot_path = value;
        else if (option == "--latency-range")
            s.latency_range = whole_number(option, value, 1, 1 << 20);
        else if (option == "--plot-range")
            plot_range(value, s);
        else if (option == "--weighting") {
            std::optional<weighting> w = weighting_by_name(value);
            if (!w) throw measure_error("--weighting takes a, 468 or none, not \"" + value + "\".");
            s.noise_weighting = *w;
        } else
            throw measure_error("Unknown option " + option + " (see veskmeasure --help).");
    }
    if (s.window == 0) s.window = s.block;
    if (s.channels.empty()) throw measure_error("No capture files given (see veskmeasure --help).");
    if (driven >= static_cast<int64_t>(s.channels.size()))
        throw measure_error("--driven " + std::to_string(driven) + " names no channel: there are " +
                            std::to_string(s.channels.size()) + ".");
    if (driven >= 0) s.driven = static_cast<int>(driven);
    if (s.references.size() > 1 && s.references.size() != s.channels.size())
        throw measure_error("--reference is given " + std::to_string(s.references.size()) + " times for " +
                            std::to_string(s.channels.size()) + " channels: once for all, or once per channel.");
    if (s.references.size() > 1 && s.driven) throw measure_error("--driven takes a single --reference.");
    for (const limit &l : s.limits) {
        if (l.which == figure::crosstalk && !s.driven && s.references.empty())
            throw measure_error("Limit \"" + l.text + "\" needs --driven.");
        if (needs_reference(l.which) && s.references.empty())
            throw measure_error("Limit \"" + l.text + "\" needs --reference.");
    }
    return s;
}
