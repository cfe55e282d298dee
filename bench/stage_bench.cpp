// vesk_stage_output against a plain copy into wire order (under the same
// ramp) and a plain send, on the same server in the same iterations.
#include <benchmark/benchmark.h>

#include <vector>

#include "baseline_loops.h"
#include "bench_session.h"
#include "raw_client.h"
#include "timing.h"

namespace {

constexpr uint32_t stage_channels = 32;

void stage_output(benchmark::State &state) {
    const auto block_size = static_cast<uint32_t>(state.range(0));
    const auto flags = static_cast<uint32_t>(state.range(1));
    const size_t bytes = size_t{4} * stage_channels * block_size;

    bench_session session;
    if (!open_session(session, state, block_size, 0, bytes)) return close_session(session);

    std::vector<std::vector<int32_t>> blocks(stage_channels, std::vector<int32_t>(block_size));
    std::vector<const int32_t *> table;
    for (uint32_t channel = 0; channel < stage_channels; ++channel) {
        for (uint32_t i = 0; i < block_size; ++i) blocks[channel][i] = capture_sample(size_t{channel} * block_size + i);
        table.push_back(blocks[channel].data());
    }
    std::vector<uint32_t> wire(size_t{stage_channels} * block_size);

    wire::header request;
    request.command = VESK_CMD_STAGE_OUTPUT;
    request.arg0 = VESK_STAGE_DATA;
    request.arg1 = 0xFFFFFFFFu;
    request.arg2 = 1;
    request.length = static_cast<uint32_t>(bytes);
    bool failed = false;
    const std::array<std::function<void()>, 2> steps = {
        [&] {
            failed |= vesk_stage_output(session.library, flags, stage_channels, table.data(), 1, 0) != VESK_SUCCESS;
        },
        [&] {
            for (uint32_t channel = 0; channel < stage_channels; ++channel) {
                uint32_t *out = wire.data() + size_t{channel} * block_size;
                if (flags == VESK_STAGE_DATA)
                    copy_swapped(out, table[channel], block_size);
                else
                    copy_ramped_swapped(out, table[channel], block_size, flags == VESK_STAGE_RAMP_UP);
            }
            wire::header reply;
            failed |= raw_exchange(session.raw, request, wire.data(), &reply, nullptr, 0) < 0;
        },
    };
    std::array<double, 2> seconds{};  // library, raw
    for (auto _ : state) {
        const double library_before = seconds[0];
        time_in_turn(steps, state.iterations(), seconds);
        if (failed) {
            state.SkipWithError("a staging failed");
            break;
        }
        state.SetIterationTime(seconds[0] - library_before);
    }

    const double moved = static_cast<double>(state.iterations()) * static_cast<double>(bytes);
    state.counters["bytes_per_second"] = byte_rate(moved, seconds[0]);
    state.counters["raw_bytes_per_second"] = byte_rate(moved, seconds[1]);
    state.counters["ratio_to_raw"] = per(seconds[1], seconds[0]);
    close_session(session);
}

}  // namespace

BENCHMARK(stage_output)
    ->ArgNames({"samples", "flags"})
    ->Args({1024, VESK_STAGE_DATA})
    ->Args({65536, VESK_STAGE_DATA})
    ->Args({1024, VESK_STAGE_RAMP_UP})
    ->Args({65536, VESK_STAGE_RAMP_UP})
    ->Args({65536, VESK_STAGE_RAMP_DOWN})
    ->MinWarmUpTime(0.2)  // until the connections' buffers have grown
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
