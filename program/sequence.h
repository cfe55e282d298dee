// The staged playback sequence: planning (ramp rule, synchronisation
// padding), the loopback, and staging every segment under its tag.
#pragma once

#include "run_settings.h"
#include "run_state.h"

// Extended mode drops the ramp blocks; enough quiet blocks are added for the
// server to synchronise. Changes settings.ramp and settings.start_quiet_blocks.
void plan_sequence(run_settings &settings, uint32_t output_channels);

// false: the server refused (reported).
bool set_loopback(const run_settings &settings, vesk_instance *instance);

// Stages the reset and every segment in playing order; capture_blocks
// becomes the number of blocks staged for capture, those the summary marks
// (*). false: a step failed (reported) and nothing after it was staged.
bool stage_sequence(const run_settings &settings, vesk_instance *instance, uint32_t output_channels,
                    const stimulus_table &stimulus, int32_t sequence_length, uint64_t &capture_blocks);
