// What one veskplay run holds between its steps: the connection, the buffers
// and files it owns, and how far it got. The shutdown releases all of it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "run_settings.h"
#include "veskclient.h"

using sample_block = std::vector<int32_t>;

// The two generated stimuli, one block each.
struct generated_stimuli {
    sample_block sine_block;
    sample_block pattern_block;
    double block_duration = 0.0;  // seconds
    double cycles_per_block = 0.0;
};

// Samples read from the -rX files: one block per channel in normal mode,
// sequence_length blocks in extended mode. Empty: the channel has no file.
struct playback_samples {
    std::array<sample_block, channel_table_size> data;
    int32_t sequence_length = 0;
};

// One entry per output channel: the block(s) it plays, or null for silence.
using stimulus_table = std::array<const int32_t *, channel_table_size>;

using capture_streams = std::array<FILE *, channel_table_size>;

// The -cX files. Until the run is known to go ahead they are open but
// neither emptied nor made for good: a refused run leaves them as it found
// them.
struct capture_files {
    capture_streams stream{};
    std::array<const char *, channel_table_size> name{};
    std::array<bool, channel_table_size> created{};  // made by this run
    bool emptied = false;
};

struct run_state {
    vesk_instance *instance = nullptr;
    bool connected = false;
    // Channel counts as served: never above channel_table_size.
    uint32_t output_channels = 0;
    uint32_t input_channels = 0;
    generated_stimuli stimuli;
    playback_samples playback;
    stimulus_table stimulus{};
    sample_block capture_buffer;
    capture_files capture;
    uint64_t capture_blocks = 0;  // staged for capture: what a stream that runs to its end delivers
    bool output_started = false;
};
