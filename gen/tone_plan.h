// Which DFT bins of the block carry tones: a whole number of cycles per block
// each, so that every block is the same and repetition is seamless.
#pragma once

#include <cstdint>
#include <vector>

struct tone_grid {
    double rate = 48000;
    int64_t block = 4096;
    double from_hz = 20, to_hz = 20000;
    int64_t count = 1;
};

// The bin nearest hz, kept off DC and the Nyquist bin.
int64_t nearest_bin(double hz, double rate, int64_t block);

// count distinct bins, ascending, log-spaced from from_hz to to_hz, each
// moved within its share of the spacing so that no tone sits on the 2nd or
// 3rd harmonic of another (aliases included) where the spacing leaves room.
// Throws gen_error when the range holds fewer bins than tones.
std::vector<int64_t> log_spaced_bins(const tone_grid &grid);

// How many tones sit on the 2nd or 3rd harmonic of another.
int64_t harmonic_collisions(const std::vector<int64_t> &bins, int64_t block);

// Tones dealt round-robin to channels: channel c gets c, c + channels, ...
std::vector<std::vector<int64_t>> deal_bins(const std::vector<int64_t> &bins, int channels);
