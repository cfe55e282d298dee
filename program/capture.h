// Capture files and the capture buffer: one file per input channel (-cX),
// or one file per block (-uX, named prefix.N).
#pragma once

#include <string>

#include "run_settings.h"
#include "run_state.h"

// Blocks that one read may deliver; the buffer holds that many of 32 channels.
constexpr uint32_t blocks_per_read = 10;

// false: the buffer could not be allocated (reported).
bool allocate_capture_buffer(uint32_t samples_per_block, sample_block &buffer);

// Opens the -cX files of input channels 0 up to input_channels, in order; the
// first that fails is reported and no further file is opened.
void open_capture_files(const run_settings &settings, uint32_t input_channels,
                        capture_streams &streams);

// The per-block file name, or an empty text when it would be longer than a
// path may be.
std::string per_block_file_name(const char *prefix, uint32_t block_number);

// Writes one captured block (all input channels, in order) to its files and
// hands the analysed channel to the follower. false: a file could not be
// written (reported) and the transfer must end.
bool handle_captured_block(const run_settings &settings, uint32_t input_channels,
                           const int32_t *block, uint32_t block_number, capture_streams &streams);

// Closes every open stream; a failure to close is reported.
void close_capture_streams(capture_streams &streams);
