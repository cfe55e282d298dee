// Sample blocks as the tests expect them on the wire and in files.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// One block of a sine with a whole number of cycles, as the device should play it.
inline std::vector<int32_t> sine(int n, double cycles, double amplitude) {
    std::vector<int32_t> samples;
    for (int i = 0; i < n; ++i) {
        double phase = ((double(i) / n) * cycles * 3.141592653589793) * 2;
        samples.push_back(int32_t(uint32_t(int32_t(std::sin(phase) * amplitude * 8388607.0)) << 8));
    }
    return samples;
}

inline std::vector<int32_t> repeated(int n, int32_t value) { return std::vector<int32_t>(std::size_t(n), value); }

// Samples of a playback file: every byte varies, the top bit set in about half.
inline std::vector<int32_t> playback_pattern(int samples, uint32_t seed) {
    std::vector<int32_t> values;
    for (int i = 0; i < samples; ++i) values.push_back(int32_t(seed * 0x01000193u + uint32_t(i) * 0x9E3779B1u));
    return values;
}

// Blocks one after another.
inline std::vector<int32_t> joined(const std::vector<std::vector<int32_t>> &blocks) {
    std::vector<int32_t> all;
    for (const std::vector<int32_t> &block : blocks) all.insert(all.end(), block.begin(), block.end());
    return all;
}
