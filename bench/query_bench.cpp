// vesk_query, the smallest exchange, against the same round trip by plain
// send and recv.
#include <benchmark/benchmark.h>

#include "bench_session.h"
#include "raw_client.h"
#include "timing.h"

namespace {

void query(benchmark::State &state) {
    bench_session session;
    if (!open_session(session, state, 1024, 0, 0)) return close_session(session);

    wire::header request;
    request.command = VESK_CMD_QUERY;
    request.arg0 = VESK_QUERY_PLAYBACK;
    bool failed = false;
    const std::array<std::function<void()>, 2> steps = {
        [&] {
            uint32_t values[4] = {};
            failed |= vesk_query(session.library, VESK_QUERY_PLAYBACK, &values[0], &values[1], &values[2],
                                 &values[3]) != VESK_SUCCESS ||
                      values[0] != VESK_PLAYBACK_HALTED;
        },
        [&] {
            wire::header reply;
            failed |= raw_exchange(session.raw, request, nullptr, &reply, nullptr, 0) < 0;
        },
    };
    std::array<double, 2> seconds{};  // library, raw
    for (auto _ : state) {
        const double library_before = seconds[0];
        time_in_turn(steps, state.iterations(), seconds);
        if (failed) {
            state.SkipWithError("a query failed");
            break;
        }
        state.SetIterationTime(seconds[0] - library_before);
    }

    const double iterations = static_cast<double>(state.iterations());
    state.counters["raw_us"] = per(seconds[1] * 1e6, iterations);
    state.counters["extra_us"] = per((seconds[0] - seconds[1]) * 1e6, iterations);
    close_session(session);
}

}  // namespace

BENCHMARK(query)->MinWarmUpTime(0.2)->UseManualTime()->Unit(benchmark::kMicrosecond);
