// vesk_read_input against plain recv plus an in-place byte swap, and against
// plain recv alone, on the same server in the same iterations.
#include <benchmark/benchmark.h>

#include <vector>

#include "baseline_loops.h"
#include "bench_session.h"
#include "raw_client.h"
#include "timing.h"

namespace {

bool holds_capture(const std::vector<int32_t> &samples) {
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i] != capture_sample(i)) return false;
    return true;
}

void read_input(benchmark::State &state) {
    const auto blocks = static_cast<uint32_t>(state.range(0));
    const auto channels = static_cast<uint32_t>(state.range(1));
    const auto block_size = static_cast<uint32_t>(state.range(2));
    const uint32_t mask = channels >= 32 ? 0xFFFFFFFFu : (1u << channels) - 1;
    const size_t samples = size_t{blocks} * channels * block_size;
    const size_t bytes = samples * 4;

    bench_session session;
    if (!open_session(session, state, block_size, samples, 0)) return close_session(session);
    std::vector<int32_t> buffer(samples);

    uint32_t count = blocks;
    if (vesk_read_input(session.library, mask, buffer.data(), &count, 0, nullptr, nullptr) != VESK_SUCCESS ||
        count != blocks || !holds_capture(buffer)) {
        state.SkipWithError("the library read other samples than the server sent");
        return close_session(session);
    }

    wire::header request;
    request.command = VESK_CMD_READ_INPUT;
    request.arg0 = mask;
    request.arg1 = blocks;
    bool failed = false;
    const std::array<std::function<void()>, 3> steps = {
        [&] {
            count = blocks;
            failed |=
                vesk_read_input(session.library, mask, buffer.data(), &count, 0, nullptr, nullptr) != VESK_SUCCESS ||
                count != blocks;
        },
        [&] {
            wire::header reply;
            failed |=
                raw_exchange(session.raw, request, nullptr, &reply, buffer.data(), bytes) != static_cast<long>(bytes);
            swap_in_place(reinterpret_cast<uint32_t *>(buffer.data()), samples);
        },
        [&] {
            wire::header reply;
            failed |=
                raw_exchange(session.raw, request, nullptr, &reply, buffer.data(), bytes) != static_cast<long>(bytes);
        },
    };
    std::array<double, 3> seconds{};  // library, raw recv and swap, raw recv
    for (auto _ : state) {
        const double library_before = seconds[0];
        time_in_turn(steps, state.iterations(), seconds);
        if (failed) {
            state.SkipWithError("a read failed");
            break;
        }
        state.SetIterationTime(seconds[0] - library_before);
    }

    const double moved = static_cast<double>(state.iterations()) * static_cast<double>(bytes);
    const double read = static_cast<double>(state.iterations()) * blocks;
    state.counters["bytes_per_second"] = byte_rate(moved, seconds[0]);
    state.counters["blocks_per_second"] = per(read, seconds[0]);
    state.counters["raw_swap_bytes_per_second"] = byte_rate(moved, seconds[1]);
    state.counters["raw_recv_bytes_per_second"] = byte_rate(moved, seconds[2]);
    state.counters["ratio_to_raw_swap"] = per(seconds[1], seconds[0]);
    state.counters["ratio_to_raw_recv"] = per(seconds[2], seconds[0]);
    close_session(session);
}

}  // namespace

BENCHMARK(read_input)
    ->ArgNames({"blocks", "channels", "samples"})
    ->Args({10, 32, 1024})
    ->Args({10, 32, 65536})
    ->Args({1, 1, 1024})
    ->MinWarmUpTime(0.2)  // until the connections' buffers have grown
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
