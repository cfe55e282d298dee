// vesk_query, the smallest exchange, against the same round trip by plain
// send and recv.
#include <benchmark/benchmark.h>

#include "bench_session.h"
#include "raw_client.h"

namespace {

void query(benchmark::State &state) {
    bench_session session;
    if (!open_session(session, state, 1024, 0, 0)) return close_session(session);

    header_words request;
    request.code = VESK_CMD_QUERY;
    request.arg0 = VESK_QUERY_PLAYBACK;
    header_words reply;
    uint32_t values[4];
    double library_seconds = 0, raw_seconds = 0;
    for (auto _ : state) {
        double start = process_seconds();
        const int32_t code = vesk_query(session.library, VESK_QUERY_PLAYBACK, &values[0],
                                        &values[1], &values[2], &values[3]);
        const double library = process_seconds() - start;

        start = process_seconds();
        const long received = raw_exchange(session.raw, request, nullptr, &reply, nullptr, 0);
        raw_seconds += process_seconds() - start;

        if (code != VESK_SUCCESS || received < 0 || values[0] != VESK_PLAYBACK_HALTED) {
            state.SkipWithError("a query failed");
            break;
        }
        state.SetIterationTime(library);
        library_seconds += library;
    }

    const double iterations = static_cast<double>(state.iterations());
    state.counters["raw_us"] = per(raw_seconds * 1e6, iterations);
    state.counters["extra_us"] = per((library_seconds - raw_seconds) * 1e6, iterations);
    close_session(session);
}

}  // namespace

BENCHMARK(query)->UseManualTime()->Unit(benchmark::kMicrosecond);
