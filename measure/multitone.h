// Frequency response, phase, distortion and crosstalk from a periodic
// multitone: every tone on a whole bin of one block, the block being the
// reference's length. The capture is averaged block-synchronously, so the
// noise under the tones falls with the number of blocks, while the
// distortion and noise between them are read from the per-block spectra.
// Every pass streams whole blocks: memory follows the block, not the length.
#pragma once

#include <complex>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "figures.h"

// A reference block's tones: the bins far above the rest.
struct multitone_reference {
    int64_t block = 0;
    std::vector<int> bins;                       // ascending; empty when not a multitone
    std::vector<std::complex<double>> spectrum;  // the block's DFT at those bins
};

// Two tones or more on whole bins, within 40 dB of each other and on at most
// half the bins of the period they repeat in, everything else at least 80 dB
// down; anything else (a sine and its harmonics, a sine off the bins, a
// shorter pattern repeated, noise) gives no bins.
multitone_reference find_tones(const std::vector<int32_t> &block);

// Reads count samples of a channel from first on.
using sample_reader = std::function<void(int64_t first, int64_t count, int32_t *out)>;

struct multitone_input {
    sample_reader read;
    int64_t samples = 0;
    const multitone_reference *reference = nullptr;  // null: a channel that only listens
};

// One channel's figures. A figure that the capture cannot support is NaN,
// and the why says what is missing.
struct multitone_channel {
    bool stimulus = false;  // has a reference of its own
    int64_t latency = -1;   // samples; -1 when not found
    std::string latency_why;
    int64_t first_sample = 0;  // of the blocks averaged
    int64_t blocks = 0;
    std::string why;  // set when nothing could be measured
    // Per tone of the channel's own reference; NaN where the tone is within
    // 20 dB of the floor around it.
    std::vector<double> freq_hz, gain_db, response_db, phase_deg;
    double response_at_hz = 0;  // the tone the response is relative to
    double tdn_db = not_measured;
    // The averaged capture at every channel's tone bins (the union, as in
    // multitone_result::bins), and the floor there in the same units.
    std::vector<std::complex<double>> at_bins;
    std::vector<double> floor_at_bins;
};

// Level of one channel's tones on another input, relative to its own input,
// worst over the tones. below_floor: db is an upper bound, the floor.
struct crosstalk_cell {
    double db = not_measured;
    bool below_floor = false;
};

struct multitone_result {
    int64_t block = 0;
    std::vector<int> bins;  // every channel's tones
    std::vector<multitone_channel> channels;
    double gain_match_db = not_measured, phase_match_deg = not_measured;
    std::string match_why;
    // [input][stimulus]; empty unless the channels' tone sets are disjoint.
    std::vector<std::vector<crosstalk_cell>> crosstalk;
};

// The references share one length: the plan of references refuses any others.
multitone_result measure_multitone(const std::vector<multitone_input> &inputs, double rate);

// Largest |response| over the tones from low_hz to high_hz; NaN when a
// tone there has none or no tone lies there.
double flatness_db(const multitone_channel &channel, double low_hz, double high_hz);

// Why a channel that has its stimulus has no tdn, or no flatness.
constexpr const char *no_tdn_why = "no bin between the tones";
constexpr const char *no_flatness_why = "a tone in the band below the floor, or none there";
