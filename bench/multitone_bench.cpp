// The multitone analysis on one second of 32 channels at 48 kHz, each with
// its own tones: response, phase, distortion and noise, and the 32 x 32
// crosstalk matrix. Memory follows the block, so only the time is measured.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "multitone.h"

namespace {

constexpr int channels = 32, block = 4096, tones_per_channel = 16;
constexpr int64_t samples = 48000;

struct channel_capture {
    std::vector<int32_t> samples;
    multitone_reference reference;
};

// Channel c's tones on bins c, c + 32, ... spread over the band; each input
// hears its own output and -90 dB of its neighbours', with a little noise.
std::vector<channel_capture> make_captures() {
    std::vector<std::vector<double>> outputs(channels, std::vector<double>(block, 0.0));
    for (int c = 0; c < channels; ++c)
        for (int t = 0; t < tones_per_channel; ++t) {
            int bin = (1 + t * 3) * channels + c;
            double phase = -M_PI * t * t / tones_per_channel;
            for (int n = 0; n < block; ++n)
                outputs[c][static_cast<size_t>(n)] += 0.05 * std::cos(2 * M_PI * bin * n / block + phase);
        }
    std::vector<channel_capture> out(channels);
    uint32_t noise = 1;
    for (int c = 0; c < channels; ++c) {
        std::vector<int32_t> reference(block);
        for (int n = 0; n < block; ++n)
            reference[static_cast<size_t>(n)] = static_cast<int32_t>(std::lround(outputs[c][n] * 2147483647.0));
        out[c].reference = find_tones(reference);
        out[c].samples.resize(samples);
        for (int64_t n = 0; n < samples; ++n) {
            size_t m = static_cast<size_t>(n % block);
            double v = outputs[c][m];
            if (c > 0) v += 3e-5 * outputs[c - 1][m];
            if (c + 1 < channels) v += 3e-5 * outputs[c + 1][m];
            noise = noise * 1664525u + 1013904223u;
            out[c].samples[static_cast<size_t>(n)] =
                static_cast<int32_t>(std::lround(v * 2147483647.0)) + static_cast<int32_t>(noise >> 24) - 128;
        }
    }
    return out;
}

void multitone_32_channels(benchmark::State &state) {
    static const std::vector<channel_capture> captures = make_captures();
    std::vector<multitone_input> inputs;
    for (const channel_capture &c : captures)
        inputs.push_back(
            {[&c](int64_t first, int64_t count, int32_t *out) { std::copy_n(c.samples.begin() + first, count, out); },
             samples, &c.reference});
    for (auto _ : state) {
        multitone_result r = measure_multitone(inputs, 48000);
        benchmark::DoNotOptimize(r);
        size_t measured = 0;
        for (const multitone_channel &c : r.channels) measured += c.freq_hz.size() == tones_per_channel ? 1 : 0;
        if (r.crosstalk.size() != channels || measured != channels) state.SkipWithError("a channel went unmeasured");
    }
    state.counters["channel_seconds"] = benchmark::Counter(channels * static_cast<double>(samples) / 48000,
                                                           benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(multitone_32_channels)->Unit(benchmark::kMillisecond);

}  // namespace
