// Starting output, the transfer loop that drains the captured input, the
// early stop and the wait for the codec to halt.
#pragma once

#include "run_settings.h"
#include "run_state.h"

// Starts output and prints "In progress.". false: refused (reported).
bool start_output(const run_settings &settings, run_state &run);

// Reads every captured block until the stream ends, a read or a capture
// file fails, or the early stop fires; after a failure output is stopped
// while the connection lasts. true: everything asked for was done (the
// stream ended or the early stop was taken, and every block was written).
// A stream that skips blocks of a segment, or ends before run.capture_blocks
// have come with no stop asked for (a looped sequence has no end), is
// reported and gives false.
bool transfer_until_end(const run_settings &settings, run_state &run);

// Polls the playback state until the codec halts, at most 11 times.
// false: it did not halt, or the query failed (reported).
bool wait_for_codec_halt(vesk_instance *instance);
