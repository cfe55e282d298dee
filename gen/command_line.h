// veskgen's command line: the signal, its options and the files to write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class signal_kind { sine, multitone };

struct gen_settings {
    signal_kind kind = signal_kind::sine;
    double rate = 48000;
    int64_t block = 4096;
    int64_t blocks = 1;  // whole blocks per file
    double freq_hz = 1000;
    double from_hz = 20, to_hz = 20000;
    int64_t tones = 0;  // per channel; 0: from per_octave
    double per_octave = 3;
    std::optional<double> tone_level_dbfs, total_level_dbfs;
    int channels = 1;
    bool distinct = false;
    std::vector<std::string> files;  // one per channel
    std::string describe_path;
    bool help = false;
};

std::string usage_text();
// Throws gen_error (status 1) for anything it refuses.
gen_settings parse_command_line(int argc, const char *const *argv);
