// What the inputs hear while the sequence plays, for each loopback:
//   2 server: the same-numbered output, sample for sample;
//   1 i2s:    that output through the codec, quantised to 24 bits and
//             i2s_delay_samples late;
//   0 none:   a simulated device under test: the output at half amplitude
//             (-6 dB), dut_delay_samples late, plus a deterministic noise
//             floor of at most dut_noise_peak 24-bit steps, quantised to
//             24 bits.
// Inputs without a same-numbered output hear silence (server, i2s) or the
// noise floor alone (none).
#pragma once

#include "sequence.h"

#include <cstdint>

namespace vesksim {

inline constexpr uint32_t i2s_delay_samples = 3;
inline constexpr uint32_t dut_delay_samples = 24;
inline constexpr int32_t dut_noise_peak = 64;

// Fixed when output starts, so that blocks read later come out the same.
struct capture_setup {
    uint32_t loopback = 0;
    uint32_t block_size = 0;
    uint32_t outputs = 0;
    bool aligned = true;  // unaligned capture blocks start a quarter block early
};

// The sample position, in played samples, where a captured block starts.
int64_t capture_block_start(const capture_setup& setup, uint64_t played_block);

// How many samples late an input hears its output.
uint32_t capture_delay(uint32_t loopback);

// One captured block of one input channel as big-endian samples, the
// 4 * block_size bytes at `out`. The device-under-test model works out its
// samples in `scratch` (block_size of them) first.
void capture_block(const staged_sequence& sequence, const capture_setup& setup, uint32_t input,
                   uint64_t played_block, int32_t* scratch, uint8_t* out);

// The noise floor of the device-under-test model at one sample position.
int32_t dut_noise(uint32_t input, int64_t position);

}  // namespace vesksim
