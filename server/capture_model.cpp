#include "capture_model.h"

#include "veskclient.h"
#include "byte_order.h"

#include <algorithm>
#include <cstring>

namespace vesksim {

namespace {

constexpr uint32_t top_24_bits = 0xFFFFFF00u;

int32_t from_24(int32_t value24) {
    return static_cast<int32_t>(static_cast<uint32_t>(value24) << 8);
}

uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// What the server and i2s loopbacks hear goes from the staged samples
// straight to the wire, a run at a time; the codec's quantisation is the
// `keep` mask of that copy.
void output_to_wire(const staged_sequence& sequence, uint32_t block_size, uint32_t channel,
                    int64_t from_position, uint32_t keep, uint8_t* out) {
    for (uint32_t done = 0; done < block_size;) {
        const output_run run = output_run_at(sequence, block_size, channel,
                                             from_position + done, block_size - done);
        if (run.samples)
            wire::copy_to_big_endian(out + 4 * done, reinterpret_cast<const uint32_t*>(run.samples),
                                     run.count, keep);
        else
            std::memset(out + 4 * done, 0, 4 * run.count);
        done += run.count;
    }
}

void device_under_test(const staged_sequence& sequence, const capture_setup& setup,
                       uint32_t input, int64_t start, int32_t* out) {
    const uint32_t n = setup.block_size;
    if (input < setup.outputs)
        copy_output(sequence, n, input, start - dut_delay_samples, n, out);
    else
        std::fill(out, out + n, 0);
    for (uint32_t j = 0; j < n; ++j) {
        const int32_t heard = (out[j] >> 1) >> 8;  // half amplitude, in 24-bit steps
        const int32_t noisy = heard + dut_noise(input, start + j);
        out[j] = from_24(std::clamp(noisy, -(1 << 23), (1 << 23) - 1));
    }
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
                   uint64_t played_block, int32_t* scratch, uint8_t* out) {
    const uint32_t n = setup.block_size;
    const int64_t start = capture_block_start(setup, played_block);
    if (setup.loopback == VESK_LOOPBACK_NONE) {
        device_under_test(sequence, setup, input, start, scratch);
        wire::copy_to_big_endian(out, reinterpret_cast<const uint32_t*>(scratch), n);
    } else if (input < setup.outputs) {
        const uint32_t keep = setup.loopback == VESK_LOOPBACK_I2S ? top_24_bits : wire::every_bit;
        output_to_wire(sequence, n, input, start - capture_delay(setup.loopback), keep, out);
    } else {
        std::memset(out, 0, 4 * uint64_t{n});
    }
}

}  // namespace vesksim
