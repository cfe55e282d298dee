// The library's byte-order loops alone, and the baseline's, each beside
// memcpy of the same amount in the same iterations: reading and writing every
// byte once is the memory speed they should reach.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "baseline_loops.h"
#include "bench_session.h"
#include "byte_order.h"

namespace {

template <typename Convert>
void against_memcpy(benchmark::State &state, Convert convert) {
    const auto words = static_cast<size_t>(state.range(0)) / 4;
    std::vector<uint32_t> source(words), target(words);
    for (size_t i = 0; i < words; ++i) source[i] = static_cast<uint32_t>(i * 2654435761u);
    double convert_seconds = 0, memcpy_seconds = 0;
    for (auto _ : state) {
        double start = process_seconds();
        convert(target.data(), source.data(), words);
        benchmark::ClobberMemory();
        const double converting = process_seconds() - start;

        start = process_seconds();
        std::memcpy(target.data(), source.data(), words * 4);
        benchmark::ClobberMemory();
        memcpy_seconds += process_seconds() - start;

        state.SetIterationTime(converting);
        convert_seconds += converting;
    }
    const double bytes = static_cast<double>(state.iterations()) * static_cast<double>(words) * 4;
    state.counters["bytes_per_second"] = byte_rate(bytes, convert_seconds);
    state.counters["memcpy_bytes_per_second"] = byte_rate(bytes, memcpy_seconds);
    state.counters["ratio_to_memcpy"] = per(memcpy_seconds, convert_seconds);
}

void library_from_big_endian(benchmark::State &state) {
    against_memcpy(state, [](uint32_t *target, const uint32_t *, size_t words) {
        from_big_endian(target, words);
    });
}

void library_from_big_endian_24bit(benchmark::State &state) {
    against_memcpy(state, [](uint32_t *target, const uint32_t *, size_t words) {
        from_big_endian_24bit(target, words);
    });
}

void library_copy_to_big_endian(benchmark::State &state) {
    against_memcpy(state, [](uint32_t *target, const uint32_t *source, size_t words) {
        copy_to_big_endian(target, source, words);
    });
}

void baseline_swap_in_place(benchmark::State &state) {
    against_memcpy(state, [](uint32_t *target, const uint32_t *, size_t words) {
        swap_in_place(target, words);
    });
}

void baseline_copy_swapped(benchmark::State &state) {
    against_memcpy(state, [](uint32_t *target, const uint32_t *source, size_t words) {
        copy_swapped(target, reinterpret_cast<const int32_t *>(source), words);
    });
}

}  // namespace

BENCHMARK(library_from_big_endian)->Arg(1310720)->Arg(83886080)->UseManualTime();
BENCHMARK(library_from_big_endian_24bit)->Arg(1310720)->Arg(83886080)->UseManualTime();
BENCHMARK(library_copy_to_big_endian)->Arg(1310720)->Arg(83886080)->UseManualTime();
BENCHMARK(baseline_swap_in_place)->Arg(1310720)->Arg(83886080)->UseManualTime();
BENCHMARK(baseline_copy_swapped)->Arg(1310720)->Arg(83886080)->UseManualTime();
