// Signals whose figures are known, written as capture files, and veskmeasure
// run on them as a child process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "weighting.h"

struct known_signal {
    double freq_hz = 1000;
    double level_dbfs = -6;    // of the fundamental, sine-referenced
    double thd_db = -200;      // split evenly over harmonics 2 and 3
    double noise_dbfs = -200;  // white, over the whole band, sine-referenced
    int64_t samples = 48000;
    double rate = 48000;
};

std::vector<int32_t> make_signal(const known_signal &s, uint32_t seed = 1);
// The share of white noise's power, spread from 0 Hz to Nyquist, that the
// band (20 Hz to 20 kHz or Nyquist) and the weighting pass.
double white_noise_share(double rate, weighting w);
void write_capture(const std::filesystem::path &file, const std::vector<int32_t> &samples);

struct measure_result {
    int status = -1;
    std::string output, error;
};

// Runs veskmeasure with args in folder work; with a search path, with PATH
// set to it.
measure_result run_veskmeasure(const std::vector<std::string> &args, const std::filesystem::path &work,
                               const std::string &search_path = {});
