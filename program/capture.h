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

// Opens the -cX files of input channels 0 up to input_channels, in order,
// without emptying them. false: one could not be opened (reported) and none
// after it was.
bool open_capture_files(const run_settings &settings, uint32_t input_channels, capture_files &files);

// Empties the files that were there before the run, as opening them anew
// would; once the run goes ahead, before the first block is written. Does
// nothing the second time. false: one could not be emptied (reported).
bool empty_capture_files(capture_files &files);

// For a refused run: closes the files and removes those it made, leaving
// the others as they were.
void discard_capture_files(capture_files &files);

enum class block_capture {
    whole,         // every file got the block
    file_skipped,  // a per-block file could not be opened (reported); the rest got it
    write_failed,  // a file could not be written (reported): the transfer must end
};

// Writes one captured block (all input channels, in order) to its files and
// hands the analysed channel to the follower. A file never keeps part of a
// block: a -cX file is cut back to its last whole block, a per-block file
// that failed is removed.
block_capture handle_captured_block(const run_settings &settings, uint32_t input_channels, const int32_t *block,
                                    uint32_t block_number, capture_streams &streams);

// Closes every open stream. false: one failed to close (reported).
bool close_capture_streams(capture_streams &streams);
