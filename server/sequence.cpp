#include "sequence.h"

#include "veskclient.h"

#include <algorithm>
#include <bit>

namespace vesksim {

bool fits_budget(const staged_sequence &sequence, uint64_t sample_count) {
    const uint64_t cost = segment_cost_bytes + 4 * sample_count;
    return sequence.bytes_used + cost <= staging_budget_bytes;
}

void append_segment(staged_sequence &sequence, segment added) {
    added.first_block = sequence.total_blocks;
    sequence.total_blocks += added.block_count;
    sequence.bytes_used += segment_cost_bytes + 4 * uint64_t{added.samples.size()};
    if ((added.flags & VESK_STAGE_LOOP_START) && !sequence.loop_segment)
        sequence.loop_segment = sequence.segments.size();
    sequence.segments.push_back(std::move(added));
}

bool is_captured(const segment &s) { return (s.flags & VESK_STAGE_NO_CAPTURE) == 0; }

bool loops(const staged_sequence &sequence) {
    return sequence.loop_segment && sequence.segments[*sequence.loop_segment].first_block < sequence.total_blocks;
}

namespace {

// Index of the segment holding a block of the sequence (below total_blocks).
size_t segment_index(const staged_sequence &sequence, uint64_t block) {
    auto after = std::upper_bound(sequence.segments.begin(), sequence.segments.end(), block,
                                  [](uint64_t b, const segment &s) { return b < s.first_block; });
    return static_cast<size_t>(after - sequence.segments.begin()) - 1;
}

// Maps a played block position to a block of the sequence, if it plays at all.
std::optional<uint64_t> sequence_block(const staged_sequence &sequence, uint64_t played) {
    if (played < sequence.total_blocks) return played;
    if (!loops(sequence)) return std::nullopt;
    const uint64_t loop_first = sequence.segments[*sequence.loop_segment].first_block;
    return loop_first + (played - sequence.total_blocks) % (sequence.total_blocks - loop_first);
}

// Blocks from a block of the sequence to the end of its segment.
uint64_t left_in_segment(uint64_t block, const segment &s) { return s.first_block + s.block_count - block; }

}  // namespace

const segment *segment_at(const staged_sequence &sequence, uint64_t played_block) {
    auto block = sequence_block(sequence, played_block);
    if (!block) return nullptr;
    return &sequence.segments[segment_index(sequence, *block)];
}

std::optional<uint64_t> next_captured(const staged_sequence &sequence, uint64_t from, uint64_t limit) {
    // Each step skips the rest of one segment; one pass over the sequence
    // and one over its loop see every segment that can still play.
    const size_t most_steps = 2 * sequence.segments.size() + 2;
    uint64_t played = from;
    for (size_t step = 0; step < most_steps && played < limit; ++step) {
        auto block = sequence_block(sequence, played);
        if (!block) return std::nullopt;
        const segment &s = sequence.segments[segment_index(sequence, *block)];
        if (is_captured(s)) return played;
        played += left_in_segment(*block, s);
    }
    return std::nullopt;
}

uint64_t captured_run_length(const staged_sequence &sequence, uint64_t first, uint64_t most, uint64_t limit) {
    const segment *start = segment_at(sequence, first);
    if (!start) return 0;
    const uint32_t tag = start->tag;
    uint64_t count = 0;
    while (count < most && first + count < limit) {
        auto block = sequence_block(sequence, first + count);
        if (!block) break;
        const segment &s = sequence.segments[segment_index(sequence, *block)];
        if (!is_captured(s) || s.tag != tag) break;
        count += std::min(left_in_segment(*block, s), most - count);
    }
    return std::min(count, limit - first);
}

output_run output_run_at(const staged_sequence &sequence, uint32_t block_size, uint32_t channel, int64_t position,
                         uint32_t most) {
    if (position < 0) return {nullptr, static_cast<uint32_t>(std::min<int64_t>(-position, most))};
    const uint64_t played_block = static_cast<uint64_t>(position) / block_size;
    const uint32_t offset = static_cast<uint32_t>(static_cast<uint64_t>(position) % block_size);
    const uint32_t count = std::min(most, block_size - offset);
    const segment *s = segment_at(sequence, played_block);
    const uint32_t bit = uint32_t{1} << channel;
    if (!s || !(s->channel_mask & bit)) return {nullptr, count};
    const auto index = static_cast<size_t>(std::popcount(s->channel_mask & (bit - 1)));
    return {s->samples.data() + index * block_size + offset, count};
}

void copy_output(const staged_sequence &sequence, uint32_t block_size, uint32_t channel, int64_t from_position,
                 uint32_t count, int32_t *out) {
    for (uint32_t done = 0; done < count;) {
        const output_run run = output_run_at(sequence, block_size, channel, from_position + done, count - done);
        if (run.samples)
            std::copy(run.samples, run.samples + run.count, out + done);
        else
            std::fill(out + done, out + done + run.count, 0);
        done += run.count;
    }
}

}  // namespace vesksim
