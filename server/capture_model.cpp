#include "capture_model.h"

#include "veskclient.h"

#include <algorithm>

namespace vesksim {

namespace {

int32_t quantise_24(int32_t sample) {
    return static_cast<int32_t>(static_cast<uint32_t>(sample) & 0xFFFFFF00u);
}

int32_t from_24(int32_t value24) {
    return static_cast<int32_t>(static_cast<uint32_t>(value24) << 8);
}

uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

int32_t dut_noise(uint32_t input, int64_t position) {
    const uint64_t h = mix(static_cast<uint64_t>(position) ^ (uint64_t{input} << 56));
    return static_cast<int32_t>(h % (2 * dut_noise_peak + 1)) - dut_noise_peak;
}

int64_t capture_block_start(const capture_setup& setup, uint64_t played_block) {
    const int64_t start = static_cast<int64_t>(played_block * setup.block_size);
    return setup.aligned ? start : start - setup.block_size / 4;
}

uint32_t capture_delay(uint32_t loopback) {
    switch (loopback) {
    case VESK_LOOPBACK_SERVER: return 0;
    case VESK_LOOPBACK_I2S: return i2s_delay_samples;
    default: return dut_delay_samples;
    }
}

void capture_block(const staged_sequence& sequence, const capture_setup& setup, uint32_t input,
                   uint64_t played_block, int32_t* out) {
    const uint32_t n = setup.block_size;
    const int64_t start = capture_block_start(setup, played_block);
    if (input < setup.outputs)
        copy_output(sequence, n, input, start - capture_delay(setup.loopback), n, out);
    else
        std::fill(out, out + n, 0);

    if (setup.loopback == VESK_LOOPBACK_I2S) {
        std::transform(out, out + n, out, quantise_24);
    } else if (setup.loopback == VESK_LOOPBACK_NONE) {
        for (uint32_t j = 0; j < n; ++j) {
            const int32_t heard = (out[j] >> 1) >> 8;  // half amplitude, in 24-bit steps
            const int32_t noisy = heard + dut_noise(input, start + j);
            out[j] = from_24(std::clamp(noisy, -(1 << 23), (1 << 23) - 1));
        }
    }
}

}  // namespace vesksim
