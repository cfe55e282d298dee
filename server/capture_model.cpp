#include "capture_model.h"

#include "byte_order.h"
#include "veskclient.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vesksim {

namespace {

constexpr uint32_t top_24_bits = 0xFFFFFF00u;
constexpr double full_scale = 2147483648.0;
constexpr double step_24 = 256;  // one 24-bit step in 32-bit samples

int32_t from_24(int32_t value24) { return static_cast<int32_t>(static_cast<uint32_t>(value24) << 8); }

uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// What the server and i2s loopbacks hear goes from the staged samples
// straight to the wire, a run at a time; the codec's quantisation is the
// `keep` mask of that copy.
void output_to_wire(const staged_sequence &sequence, uint32_t block_size, uint32_t channel, int64_t from_position,
                    uint32_t keep, uint8_t *out) {
    for (uint32_t done = 0; done < block_size;) {
        const output_run run = output_run_at(sequence, block_size, channel, from_position + done, block_size - done);
        if (run.samples)
            wire::copy_to_big_endian(out + 4 * done, reinterpret_cast<const uint32_t *>(run.samples), run.count, keep);
        else
            std::memset(out + 4 * done, 0, 4 * run.count);
        done += run.count;
    }
}

// `count` samples of a channel's output from a played position on, or
// silence where the device has no such output.
void output_or_silence(const staged_sequence &sequence, const capture_setup &setup, int64_t channel,
                       int64_t from_position, uint32_t count, int32_t *out) {
    if (channel >= 0 && channel < setup.outputs)
        copy_output(sequence, setup.block_size, static_cast<uint32_t>(channel), from_position, count, out);
    else
        std::fill(out, out + count, 0);
}

double linear(double db) { return std::pow(10.0, db / 20); }

// The model's factors, worked out once per block.
struct dut_factors {
    double gain = 0.5;
    double cubic = 0;  // of x^3, x in samples
    double leak = 0;
    std::optional<double> noise_amplitude;  // of the uniform noise; unset: the built-in one
    std::optional<biquad> highpass, lowpass;
};

dut_factors factors_of(const dut_impairments &dut, uint32_t sample_rate) {
    dut_factors f;
    if (dut.gain_db) f.gain = linear(*dut.gain_db);
    // x - c x^3 turns a full-scale sine into one of amplitude 1 - 3c/4 and
    // a third harmonic of c/4: their ratio is h when c = 4h / (1 + 3h).
    const double h = linear(dut.thd_db);
    f.cubic = 4 * h / (1 + 3 * h) / (full_scale * full_scale);
    f.leak = linear(dut.crosstalk_db);
    // 0 dBFS is the RMS of a full-scale sine, and uniform noise from -a to a
    // has an RMS of a / sqrt(3).
    if (dut.noise_dbfs) f.noise_amplitude = linear(*dut.noise_dbfs) * full_scale * std::sqrt(1.5);
    if (dut.highpass_hz) f.highpass = butterworth_section(section_kind::highpass, *dut.highpass_hz, sample_rate);
    if (dut.lowpass_hz) f.lowpass = butterworth_section(section_kind::lowpass, *dut.lowpass_hz, sample_rate);
    return f;
}

// Depends only on the input and the sample position, so runs repeat.
double dut_noise(const dut_factors &f, uint32_t input, int64_t position) {
    const uint64_t h = mix(static_cast<uint64_t>(position) ^ (uint64_t{input} << 56));
    if (!f.noise_amplitude) return step_24 * (static_cast<int32_t>(h % (2 * dut_noise_peak + 1)) - dut_noise_peak);
    return *f.noise_amplitude * (std::ldexp(static_cast<double>(h >> 11), -52) - 1);
}

// Floored to whole 24-bit steps, as the codec drops the low byte, and
// saturated rather than wrapped.
int32_t quantise_24(double sample) {
    const double steps = std::clamp(std::floor(sample / step_24), -8388608.0, 8388607.0);
    return from_24(static_cast<int32_t>(steps));
}

// The device's analogue path, before the noise, for `count` samples (at
// most a block) of the outputs' time from `from`: each goes to
// take(j, sample) in order.
template <typename Take>
void analogue_path(const staged_sequence &sequence, const capture_setup &setup, const dut_factors &f, uint32_t input,
                   int64_t from, uint32_t count, int32_t *scratch, dut_filter_progress &filters, Take take) {
    int32_t *heard = scratch;
    int32_t *left = scratch + setup.block_size;
    int32_t *right = scratch + 2 * setup.block_size;
    output_or_silence(sequence, setup, input, from, count, heard);
    const bool leaks = f.leak > 0;
    if (leaks) {
        output_or_silence(sequence, setup, int64_t{input} - 1, from, count, left);
        output_or_silence(sequence, setup, int64_t{input} + 1, from, count, right);
    }
    for (uint32_t j = 0; j < count; ++j) {
        const double x = heard[j];
        const double neighbours = leaks ? static_cast<double>(left[j]) + right[j] : 0;
        double y = f.gain * (x - f.cubic * x * x * x + f.leak * neighbours);
        if (f.highpass) y = filter_sample(*f.highpass, filters.highpass, y);
        if (f.lowpass) y = filter_sample(*f.lowpass, filters.lowpass, y);
        take(j, y);
    }
}

void device_under_test(const staged_sequence &sequence, const capture_setup &setup, uint32_t input, int64_t start,
                       int32_t *scratch, dut_filter_progress &filters) {
    const uint32_t n = setup.block_size;
    const dut_factors f = factors_of(setup.dut, setup.sample_rate);
    const int64_t from = start - setup.dut.delay - int64_t{input} * setup.dut.skew;
    if (f.highpass || f.lowpass) {
        // A block behind the filters makes them start over: before the
        // outputs' time 0 all is silent, so they rest at 0 there.
        if (filters.next > from) filters = {};
        while (filters.next < from) {
            const auto count = static_cast<uint32_t>(std::min<int64_t>(n, from - filters.next));
            analogue_path(sequence, setup, f, input, filters.next, count, scratch, filters, [](uint32_t, double) {});
            filters.next += count;
        }
        filters.next = from + n;
    }
    // Each sample of the block replaces the output it was made from.
    analogue_path(sequence, setup, f, input, from, n, scratch, filters,
                  [&](uint32_t j, double y) { scratch[j] = quantise_24(y + dut_noise(f, input, start + j)); });
}

}  // namespace

int64_t capture_block_start(const capture_setup &setup, uint64_t played_block) {
    const int64_t start = static_cast<int64_t>(played_block * setup.block_size);
    return setup.aligned ? start : start - setup.block_size / 4;
}

void capture_block(const staged_sequence &sequence, const capture_setup &setup, uint32_t input, uint64_t played_block,
                   int32_t *scratch, dut_filter_progress &filters, uint8_t *out) {
    const uint32_t n = setup.block_size;
    const int64_t start = capture_block_start(setup, played_block);
    if (setup.loopback == VESK_LOOPBACK_NONE) {
        device_under_test(sequence, setup, input, start, scratch, filters);
        wire::copy_to_big_endian(out, reinterpret_cast<const uint32_t *>(scratch), n);
    } else if (input < setup.outputs) {
        const bool codec = setup.loopback == VESK_LOOPBACK_I2S;
        output_to_wire(sequence, n, input, start - (codec ? i2s_delay_samples : 0),
                       codec ? top_24_bits : wire::every_bit, out);
    } else {
        std::memset(out, 0, 4 * uint64_t{n});
    }
}

}  // namespace vesksim
