// Reading the -rX playback files: one block each in normal mode, the whole
// file cut into blocks in extended mode.
#pragma once

#include "run_settings.h"
#include "run_state.h"

// Reads the files of output channels 0 up to output_channels. false: a file
// could not be opened or was refused (reported); the process must end with
// status 1.
bool read_playback_files(const run_settings &settings, uint32_t output_channels, playback_samples &playback);
