// What veskmeasure finds in one channel. Levels are relative to full scale
// (2^31): a full-scale sine reads 0 dBFS RMS. A figure that cannot be
// measured (no signal, no reference) is NaN.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

constexpr double full_scale = 2147483648.0;
constexpr double not_measured = std::numeric_limits<double>::quiet_NaN();

// The figures that both the whole capture and each window have.
struct signal_figures {
    double level_dbfs = not_measured;  // RMS, sine-referenced
    double peak_dbfs = not_measured;
    double dc_percent = not_measured;
    double freq_hz = not_measured;
    double thd_db = not_measured;      // harmonics 2 to 10 against the fundamental
    double thdn_db = not_measured;     // all but fundamental and DC, 20 Hz to 20 kHz
    double snr_db = not_measured;      // fundamental against the noise without harmonics
    double noise_dbfs = not_measured;  // all but fundamental and DC, 20 Hz to 20 kHz, against full scale
    double dr_db = not_measured;       // the noise negated under a -70 to -50 dBFS tone; whole capture only
    std::string tone_missing;          // why those of freq, thd, thdn, snr and noise that are NaN are
    std::string dr_missing;            // why dr is NaN
};

// The worst window of each figure (lowest level, highest peak, largest DC,
// largest frequency error, highest THD, THD+N and noise, lowest SNR) and
// where it starts.
struct worst_windows {
    signal_figures value;
    signal_figures start;  // first sample of the window, per figure
    int64_t count = 0;
};

struct reference_match {
    bool compared = false;
    std::string missing;      // why there is no latency (nor bitexact)
    int64_t latency = 0;      // samples the capture is later than the reference
    int64_t largest_lag = 0;  // searched either way
    bool bit_exact = false;
    int64_t compared_samples = 0;
    int64_t differing_samples = 0;
    double difference_dbfs = not_measured;
};

// Averaged power spectrum, one-sided, each bin in mean square of full scale.
struct power_spectrum {
    std::vector<double> bins;
    int64_t length = 0;  // samples per transform
    double bin_hz = 0;
    double bins_per_tone = 1;  // the window's noise bandwidth: a tone's peak bin reads its level times this
};

struct channel_figures {
    std::string name;  // the files, as given
    int64_t samples = 0;
    signal_figures whole;
    worst_windows worst;
    reference_match reference;
    double crosstalk_db = not_measured;  // against the driven channel
    std::string crosstalk_missing;
    power_spectrum spectrum;
    std::vector<int32_t> waveform;  // a few periods from the start, for the plot
};

// sin amplitude A reads 20 log10(A / full scale) dBFS.
double dbfs_of_mean_square(double mean_square);
double db_of_ratio(double power_ratio);
double percent_of_db(double db);  // 100 % at 0 dB
