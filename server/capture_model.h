// What the inputs hear while the sequence plays, for each loopback:
//   2 server: the same-numbered output, sample for sample;
//   1 i2s:    that output through the codec, quantised to 24 bits and
//             i2s_delay_samples late;
//   0 none:   a simulated device under test with the impairments of
//             dut_impairments, quantised to 24 bits.
// Inputs without a same-numbered output hear silence (server, i2s) or the
// noise floor and crosstalk alone (none).
#pragma once

#include "dut_filter.h"
#include "sequence.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace vesksim {

inline constexpr uint32_t i2s_delay_samples = 3;
inline constexpr uint32_t dut_delay_samples = 24;
inline constexpr int32_t dut_noise_peak = 64;
inline constexpr uint32_t max_dut_delay = 1000000;
inline constexpr uint32_t max_dut_skew = 1000;

inline constexpr double level_off = -std::numeric_limits<double>::infinity();

// What the device under test does to the output it hears (--dut). Levels
// are in dB; level_off turns one off. Input n hears, delay + n * skew
// samples late,
//   H(gain * (x - c * x^3 + crosstalk * (output n-1 + output n+1))) + noise
// with x output n as a fraction of full scale, c set so that a full-scale
// sine comes back with its third harmonic at thd dB, and H the highpass
// and lowpass sections that are set, at the running sample rate.
struct dut_impairments {
    std::optional<double> gain_db;  // unset: exactly half amplitude
    uint32_t delay = dut_delay_samples;
    std::optional<double> noise_dbfs;  // unset: uniform integer steps up to +-dut_noise_peak
    double thd_db = level_off;
    double crosstalk_db = level_off;
    std::optional<double> highpass_hz;  // unset: no such section
    std::optional<double> lowpass_hz;
    uint32_t skew = 0;
};

// Where one input's filters stand: their state before the sample at
// position `next` of the outputs' time. Playback keeps one per input, as a
// recursive filter remembers everything it has heard.
struct dut_filter_progress {
    int64_t next = 0;
    biquad_state highpass, lowpass;
};

// Fixed when output starts, so that blocks read later come out the same.
struct capture_setup {
    uint32_t loopback = 0;
    uint32_t block_size = 0;
    uint32_t outputs = 0;
    bool aligned = true;  // unaligned capture blocks start a quarter block early
    dut_impairments dut;
    uint32_t sample_rate = 48000;
};

// The sample position, in played samples, where a captured block starts.
int64_t capture_block_start(const capture_setup &setup, uint64_t played_block);

// One captured block of one input channel as big-endian samples, the
// 4 * block_size bytes at `out`. The device-under-test model works out its
// samples in `scratch` (3 * block_size of them) first, and carries its
// filters on in `filters`; blocks of one input come in playing order, or
// the filters run again from the start.
void capture_block(const staged_sequence &sequence, const capture_setup &setup, uint32_t input, uint64_t played_block,
                   int32_t *scratch, dut_filter_progress &filters, uint8_t *out);

}  // namespace vesksim
