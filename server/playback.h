// One run of the staged sequence: where playback stands, what has been
// captured and handed out, and when the codec halts. Playback is worked
// out from the clock whenever someone looks, so nothing runs between
// requests. At speed 0 reads drive it instead: each read plays just as far
// as it needs.
#pragma once

#include "capture_model.h"
#include "sequence.h"
#include "wire.h"

#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace vesksim {

using sim_clock = std::chrono::steady_clock;

enum class playback_state : uint32_t { idle = 0, playing = 1, stopping = 2, halted = 4 };

// Simulated time from the end of playback until the codec halts.
inline constexpr std::chrono::milliseconds halt_delay{80};

inline constexpr uint64_t endless = std::numeric_limits<uint64_t>::max();

struct playback {
    std::shared_ptr<const staged_sequence> sequence;
    capture_setup setup;
    double blocks_per_second = 0;  // 0: driven by reads
    double speed = 1;
    sim_clock::time_point started;
    uint64_t played = 0;     // blocks played completely
    uint64_t end = 0;        // blocks that will play; endless while a loop runs
    uint64_t delivered = 0;  // played blocks before this one were handed out or skipped
    bool ended = false;
    sim_clock::time_point ended_at;
    std::vector<dut_filter_progress> filters;  // one per input
};

struct captured_run {
    uint64_t first = 0;  // played position of the first block
    uint32_t count = 0;
    uint32_t tag = 0;
};

playback start_playback(std::shared_ptr<const staged_sequence> sequence, capture_setup setup, uint32_t sample_rate,
                        double speed, sim_clock::time_point now);

// Brings the position up to the clock.
void advance(playback &p, sim_clock::time_point now);

// Ends playback at the last whole block played; the block under way is cut.
void stop_playback(playback &p, sim_clock::time_point now);

playback_state state_of(const playback &p, sim_clock::time_point now);

// Hands out the next blocks captured and not yet delivered: consecutive,
// of one tag, at most `most`.
std::optional<captured_run> take_captured(playback &p, uint64_t most, sim_clock::time_point now);

// The blocks of a run as a READ_INPUT payload: for each block, each input
// of the mask in ascending order, big-endian samples. The device under
// test's filters move on to the end of the run.
payload_bytes captured_payload(playback &p, const captured_run &run, uint32_t mask);

// Playback is over and every captured block has been delivered.
bool stream_finished(const playback &p);

}  // namespace vesksim
