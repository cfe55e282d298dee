// veskmeasure's command line into one settings record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "figure_limits.h"
#include "weighting.h"

struct measure_settings {
    std::vector<std::string> channels;  // one operand per channel, files joined by commas
    double rate = 48000;
    int64_t block = 1024;
    int64_t window = 0;  // 0: one block
    // One for every channel, or one per channel in order.
    std::vector<std::string> references;
    int64_t latency_range = 65536;
    bool upper_24_bits = false;
    weighting noise_weighting = weighting::none;  // of thdn, snr, noise and dr
    std::optional<int> driven;
    std::vector<limit> limits;
    std::vector<std::string> limits_files;
    std::string json_path, junit_path, plot_path;
    double plot_low_db = 0, plot_high_db = 0;  // the spectrum's level axis; automatic when equal
    bool help = false;
};

// Throws measure_error with the one line to print.
measure_settings parse_command_line(int argc, const char *const *argv);
std::string usage_text();
