// The staged output sequence: segments in playing order, each one block per
// channel with data, played block_count times. Played block positions count
// from 0 at the start; past the end a looped sequence goes on from the first
// segment flagged as the start of a loop.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vesksim {

struct segment {
    uint32_t flags = 0;
    uint32_t channel_mask = 0;
    uint32_t block_count = 0;
    uint32_t tag = 0;
    uint64_t first_block = 0;      // position in the sequence, set by append_segment
    std::vector<int32_t> samples;  // one block per masked channel, ascending
};

struct staged_sequence {
    std::vector<segment> segments;
    uint64_t total_blocks = 0;
    uint64_t bytes_used = 0;
    std::optional<size_t> loop_segment;
};

// What one session may stage: sample data plus a fixed cost per segment, so
// that endless empty segments are bounded too.
inline constexpr uint64_t staging_budget_bytes = 256ull << 20;
inline constexpr uint64_t segment_cost_bytes = 64;

bool fits_budget(const staged_sequence &sequence, uint64_t sample_count);
void append_segment(staged_sequence &sequence, segment added);

bool is_captured(const segment &s);
bool loops(const staged_sequence &sequence);

// The segment that plays at a played block position, or null past the end.
const segment *segment_at(const staged_sequence &sequence, uint64_t played_block);

// The first captured block at or after `from` and before `limit`.
std::optional<uint64_t> next_captured(const staged_sequence &sequence, uint64_t from, uint64_t limit);

// How many blocks from `first` (a captured block) on are captured and carry
// its tag, at most `most` and not reaching `limit`.
uint64_t captured_run_length(const staged_sequence &sequence, uint64_t first, uint64_t most, uint64_t limit);

// A stretch of one channel's output that comes from one place: `count`
// staged samples, or silence (`samples` null).
struct output_run {
    const int32_t *samples = nullptr;
    uint32_t count = 0;
};

// The longest run of one channel's output from a played sample position on,
// at least 1 and at most `most` samples (`most` above 0). Positions before
// the start, past the end or on a channel without data are silent.
output_run output_run_at(const staged_sequence &sequence, uint32_t block_size, uint32_t channel, int64_t position,
                         uint32_t most);

// Output samples of one channel from a played sample position on.
void copy_output(const staged_sequence &sequence, uint32_t block_size, uint32_t channel, int64_t from_position,
                 uint32_t count, int32_t *out);

}  // namespace vesksim
