#include "command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "gen_error.h"

namespace {

constexpr int64_t smallest_block = 16, largest_block = 65536;  // as veskplay's -s
constexpr int most_channels = 32;
constexpr double lowest_level_dbfs = -150;

gen_error refused(const std::string &text) { return gen_error(usage_status, text); }

int64_t whole_number(const std::string &option, const std::string &text, int64_t low, int64_t high) {
    char *end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high)
        throw refused(option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                      ", not \"" + text + "\".");
    return v;
}

double number(const std::string &option, const std::string &text, const char *what) {
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(v))
        throw refused(option + " takes " + what + ", not \"" + text + "\".");
    return v;
}

double frequency(const std::string &option, const std::string &text) {
    double hz = number(option, text, "a frequency in Hz");
    if (hz <= 0) throw refused(option + " takes a frequency above 0 Hz, not \"" + text + "\".");
    return hz;
}

double level(const std::string &option, const std::string &text) {
    double dbfs = number(option, text, "a level in dBFS");
    if (dbfs > 0 || dbfs < lowest_level_dbfs)
        throw refused(option + " takes a level from -150 to 0 dBFS, not \"" + text + "\".");
    return dbfs;
}

void check_below_nyquist(const std::string &option, double hz, double rate) {
    if (hz >= rate / 2) {
        char text[160];
        std::snprintf(text, sizeof text, "%s %g Hz is not below half the rate (%g Hz).", option.c_str(), hz, rate / 2);
        throw refused(text);
    }
}

// The same file named twice would end as only one of them.
void check_distinct_paths(const std::vector<std::string> &paths) {
    std::vector<std::filesystem::path> seen;
    for (const std::string &p : paths) {
        std::error_code ignored;
        std::filesystem::path full = std::filesystem::weakly_canonical(std::filesystem::absolute(p), ignored);
        for (const std::filesystem::path &s : seen)
            if (s == full) throw refused(p + " is named twice.");
        seen.push_back(full);
    }
}

}  // namespace

std::string usage_text() {
    return "Usage: veskgen sine|multitone [options] FILE...\n"
           "Writes stimulus files for veskplay -r: raw signed 32-bit samples in host order,\n"
           "one file per channel, each tone on a whole number of cycles per block so that\n"
           "the block repeats seamlessly. Several channels from one FILE are FILE.0, FILE.1...\n"
           "  --rate HZ         sample rate (default 48000)\n"
           "  --block N         block size in samples, 16 to 65536 (default 4096)\n"
           "  --blocks K        file length in whole blocks, for veskplay -x (default 1)\n"
           "  --level DBFS      level of each tone (sine default -6)\n"
           "  --total DBFS      level of all tones together (multitone default -12)\n"
           "  --freq HZ         sine: frequency, moved to the nearest bin (default 1000)\n"
           "  --from HZ         multitone: lowest tone (default 20)\n"
           "  --to HZ           multitone: highest tone (default 20000)\n"
           "  --tones N         multitone: tones per channel\n"
           "  --per-octave D    multitone: tones per octave and channel (default 3)\n"
           "  --channels N      files to write, 1 to 32 (default 1)\n"
           "  --distinct        multitone: no two channels share a tone\n"
           "  --describe FILE   bins, frequencies, levels and phases as JSON\n"
           "  --help            this text\n"
           "Exit status: 0 written, 1 bad input, 2 a file could not be written.\n";
}

gen_settings parse_command_line(int argc, const char *const *argv) {
    gen_settings s;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--help") {
        s.help = true;
        return s;
    }
    if (args.empty() || (args[0] != "sine" && args[0] != "multitone"))
        throw refused("Say sine or multitone first (see veskgen --help).");
    s.kind = args[0] == "sine" ? signal_kind::sine : signal_kind::multitone;
    bool sine = s.kind == signal_kind::sine;
    std::optional<double> freq, from, to, per_octave;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string option = args[i], value;
        if (option.size() < 2 || option[0] != '-') {
            s.files.push_back(option);
            continue;
        }
        if (option == "--help") {
            s.help = true;
            return s;
        }
        if (option == "--distinct") {
            if (sine) throw refused("--distinct is for multitone.");
            s.distinct = true;
            continue;
        }
        size_t equals = option.find('=');
        if (equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.erase(equals);
        } else {
            static const char *const takes_value[] = {"--rate",  "--block",      "--blocks",   "--level",
                                                      "--total", "--freq",       "--from",     "--to",
                                                      "--tones", "--per-octave", "--channels", "--describe"};
            bool known = false;
            for (const char *name : takes_value) known = known || option == name;
            if (!known) throw refused("Unknown option " + option + " (see veskgen --help).");
            if (i + 1 >= args.size()) throw refused(option + " needs a value.");
            value = args[++i];
        }
        bool multitone_only = option == "--from" || option == "--to" || option == "--tones" || option == "--per-octave";
        if ((sine && multitone_only) || (!sine && option == "--freq"))
            throw refused(option + " is for " + (sine ? "multitone." : "sine."));
        if (option == "--rate")
            s.rate = double(whole_number(option, value, 1000, 1000000));
        else if (option == "--block")
            s.block = whole_number(option, value, smallest_block, largest_block);
        else if (option == "--blocks")
            s.blocks = whole_number(option, value, 1, 1000000);
        else if (option == "--level")
            s.tone_level_dbfs = level(option, value);
        else if (option == "--total")
            s.total_level_dbfs = level(option, value);
        else if (option == "--freq")
            freq = frequency(option, value);
        else if (option == "--from")
            from = frequency(option, value);
        else if (option == "--to")
            to = frequency(option, value);
        else if (option == "--tones")
            s.tones = whole_number(option, value, 1, largest_block / 2);
        else if (option == "--per-octave") {
            per_octave = number(option, value, "a number of tones");
            if (*per_octave <= 0 || *per_octave > 1000)
                throw refused("--per-octave takes a number above 0 and up to 1000, not \"" + value + "\".");
        } else if (option == "--channels")
            s.channels = int(whole_number(option, value, 1, most_channels));
        else if (option == "--describe")
            s.describe_path = value;
        else
            throw refused("Unknown option " + option + " (see veskgen --help).");
    }

    if (s.tone_level_dbfs && s.total_level_dbfs) throw refused("Give --level or --total, not both.");
    if (s.tones && per_octave) throw refused("Give --tones or --per-octave, not both.");
    if (per_octave) s.per_octave = *per_octave;
    if (freq) s.freq_hz = *freq;
    if (from) s.from_hz = *from;
    if (to) s.to_hz = *to;
    if (sine) check_below_nyquist("--freq", s.freq_hz, s.rate);
    if (!sine) {
        check_below_nyquist("--from", s.from_hz, s.rate);
        check_below_nyquist("--to", s.to_hz, s.rate);
        if (s.from_hz >= s.to_hz) throw refused("--from must be below --to.");
    }
    if (s.distinct && s.channels < 2) throw refused("--distinct needs --channels of 2 or more.");

    if (s.files.empty()) throw refused("No output file given (see veskgen --help).");
    if (s.files.size() == 1 && s.channels > 1) {
        std::string stem = s.files[0];
        s.files.clear();
        for (int c = 0; c < s.channels; ++c) s.files.push_back(stem + "." + std::to_string(c));
    } else if (s.files.size() != size_t(s.channels))
        throw refused(std::to_string(s.files.size()) + " files named for " + std::to_string(s.channels) + " channel" +
                      (s.channels == 1 ? "" : "s") + ": give one name, or one per channel.");
    std::vector<std::string> all = s.files;
    if (!s.describe_path.empty()) all.push_back(s.describe_path);
    check_distinct_paths(all);
    return s;
}
