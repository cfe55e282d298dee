// The tones of each channel and the samples of one block.
#pragma once

#include <cstdint>
#include <vector>

#include "command_line.h"

struct channel_stimulus {
    std::vector<int64_t> bins;     // ascending
    std::vector<double> phases;    // radians, cosine phase at sample 0
    double tone_level_dbfs = 0;    // of each tone; 0 dBFS is a full-scale sine
    double total_level_dbfs = 0;   // of all of them
    double crest_factor_db = 0;    // peak against RMS of the block
    std::vector<int32_t> samples;  // one block
};

// Throws gen_error when the tones do not fit the block or the level clips.
std::vector<channel_stimulus> make_stimulus(const gen_settings &settings);

// Tones per channel that the settings ask for.
int64_t tones_per_channel(const gen_settings &settings);
