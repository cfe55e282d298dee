#include "playback.h"

#include "device_facts.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace vesksim {

namespace {

void finish(playback &p, sim_clock::time_point when) {
    p.ended = true;
    p.ended_at = when;
}

sim_clock::duration seconds_to_duration(double seconds) {
    return std::chrono::duration_cast<sim_clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace

playback start_playback(std::shared_ptr<const staged_sequence> sequence, capture_setup setup, uint32_t sample_rate,
                        double speed, sim_clock::time_point now) {
    playback p;
    p.end = loops(*sequence) ? endless : sequence->total_blocks;
    p.sequence = std::move(sequence);
    p.setup = setup;
    p.speed = speed;
    p.blocks_per_second = speed * sample_rate / setup.block_size;
    p.started = now;
    p.filters.resize(device::max_channels);
    if (p.end == 0) finish(p, now);
    return p;
}

void advance(playback &p, sim_clock::time_point now) {
    if (p.ended || p.blocks_per_second == 0) return;
    const double blocks = std::floor(std::chrono::duration<double>(now - p.started).count() * p.blocks_per_second);
    if (blocks < static_cast<double>(p.end)) {
        p.played = std::max(p.played, static_cast<uint64_t>(std::max(blocks, 0.0)));
        return;
    }
    p.played = p.end;
    finish(p, p.started + seconds_to_duration(static_cast<double>(p.end) / p.blocks_per_second));
}

void stop_playback(playback &p, sim_clock::time_point now) {
    advance(p, now);
    if (p.ended) return;
    p.end = p.played;
    finish(p, now);
}

playback_state state_of(const playback &p, sim_clock::time_point now) {
    if (!p.ended) return playback_state::playing;
    const double scale = p.speed > 0 ? p.speed : 1.0;
    const auto halts_at = p.ended_at + seconds_to_duration(std::chrono::duration<double>(halt_delay).count() / scale);
    return now < halts_at ? playback_state::stopping : playback_state::halted;
}

std::optional<captured_run> take_captured(playback &p, uint64_t most, sim_clock::time_point now) {
    advance(p, now);
    const staged_sequence &sequence = *p.sequence;
    const bool read_driven = p.blocks_per_second == 0 && !p.ended;
    const uint64_t limit = read_driven ? p.end : p.played;

    auto first = next_captured(sequence, p.delivered, limit);
    if (!first) {
        if (read_driven && p.end != endless) {
            // Nothing left to capture: the rest plays out at once.
            p.played = p.end;
            finish(p, now);
        }
        if (p.end != endless || !read_driven) p.delivered = std::max(p.delivered, limit);
        return std::nullopt;
    }
    const uint64_t count = captured_run_length(sequence, *first, most, limit);
    p.delivered = *first + count;
    if (read_driven) {
        p.played = std::max(p.played, p.delivered);
        if (p.played == p.end) finish(p, now);
    }
    return captured_run{*first, static_cast<uint32_t>(count), segment_at(sequence, *first)->tag};
}

bool stream_finished(const playback &p) { return p.ended && !next_captured(*p.sequence, p.delivered, p.end); }

payload_bytes captured_payload(playback &p, const captured_run &run, uint32_t mask) {
    const uint32_t n = p.setup.block_size;
    const auto channels = static_cast<uint32_t>(std::popcount(mask));
    payload_bytes bytes(uint64_t{run.count} * channels * n * 4);
    std::vector<int32_t> scratch(3 * size_t{n});
    uint8_t *out = bytes.data();
    for (uint32_t b = 0; b < run.count; ++b) {
        for (uint32_t input = 0; input < 32; ++input) {
            if (!(mask & (uint32_t{1} << input))) continue;
            capture_block(*p.sequence, p.setup, input, run.first + b, scratch.data(), p.filters[input], out);
            out += uint64_t{n} * 4;
        }
    }
    return bytes;
}

}  // namespace vesksim
