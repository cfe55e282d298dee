// vesk_read_input against plain recv plus an in-place byte swap, and against
// plain recv alone, on the same server in the same iterations.
#include <benchmark/benchmark.h>

#include <vector>

#include "baseline_loops.h"
#include "bench_session.h"
#include "raw_client.h"

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
    if (vesk_read_input(session.library, mask, buffer.data(), &count, 0, nullptr, nullptr) !=
            VESK_SUCCESS ||
        count != blocks || !holds_capture(buffer)) {
        state.SkipWithError("the library read other samples than the server sent");
        return close_session(session);
    }

    header_words request;
    request.code = VESK_CMD_READ_INPUT;
    request.arg0 = mask;
    request.arg1 = blocks;
    header_words reply;
    double library_seconds = 0, raw_swap_seconds = 0, raw_recv_seconds = 0;
    for (auto _ : state) {
        double start = process_seconds();
        count = blocks;
        const int32_t code =
            vesk_read_input(session.library, mask, buffer.data(), &count, 0, nullptr, nullptr);
        const double library = process_seconds() - start;

        start = process_seconds();
        const long swapped =
            raw_exchange(session.raw, request, nullptr, &reply, buffer.data(), bytes);
        swap_in_place(reinterpret_cast<uint32_t *>(buffer.data()), samples);
        raw_swap_seconds += process_seconds() - start;

        start = process_seconds();
        const long received =
            raw_exchange(session.raw, request, nullptr, &reply, buffer.data(), bytes);
        raw_recv_seconds += process_seconds() - start;

        if (code != VESK_SUCCESS || count != blocks || swapped != static_cast<long>(bytes) ||
            received != static_cast<long>(bytes)) {
            state.SkipWithError("a read failed");
            break;
        }
        state.SetIterationTime(library);
        library_seconds += library;
    }

    const double iterations = static_cast<double>(state.iterations());
    state.counters["bytes_per_second"] = byte_rate(iterations * bytes, library_seconds);
    state.counters["blocks_per_second"] = per(iterations * blocks, library_seconds);
    state.counters["raw_swap_bytes_per_second"] = byte_rate(iterations * bytes, raw_swap_seconds);
    state.counters["raw_recv_bytes_per_second"] = byte_rate(iterations * bytes, raw_recv_seconds);
    state.counters["ratio_to_raw_swap"] = per(raw_swap_seconds, library_seconds);
    state.counters["ratio_to_raw_recv"] = per(raw_recv_seconds, library_seconds);
    close_session(session);
}

}  // namespace

BENCHMARK(read_input)
    ->ArgNames({"blocks", "channels", "samples"})
    ->Args({10, 32, 1024})
    ->Args({10, 32, 65536})
    ->Args({1, 1, 1024})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
