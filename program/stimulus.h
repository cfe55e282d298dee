// The generated stimuli (sine and pattern blocks) and the choice of what
// each output channel plays.
#pragma once

#include "run_settings.h"
#include "run_state.h"

// Always builds both blocks, whatever the options select. false: a block
// could not be allocated (reported).
bool generate_stimuli(const run_settings &settings, generated_stimuli &stimuli);

// Picks each output channel's stimulus and prints its line. false: extended
// mode met a channel that is neither a playback file nor silent (reported);
// the process must end with status 1.
bool choose_stimuli(const run_settings &settings, uint32_t output_channels, const generated_stimuli &stimuli,
                    const playback_samples &playback, stimulus_table &stimulus);
