// Phases that keep the peak of a block of equal-amplitude tones low.
#pragma once

#include <cstdint>
#include <vector>

// Cosine phases in radians at sample 0 for tones on bins (ascending) of a
// block: Schroeder's phases, spreading the tones' group delays evenly over
// the block, then improved by clipping the peaks in time and restoring the
// amplitudes in frequency, round after round, keeping the lowest peak. The
// rounds share a bounded amount of work among this many channels.
std::vector<double> low_crest_phases(const std::vector<int64_t> &bins, int64_t block, int channels);

// The block of unit-amplitude tones with these phases, computed directly (in
// full scale: 1 is a full-scale sine's peak).
std::vector<double> tone_block(const std::vector<int64_t> &bins, const std::vector<double> &phases, int64_t block);

double peak_of(const std::vector<double> &x);
double crest_factor_db(const std::vector<double> &x);
