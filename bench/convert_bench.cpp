// The library's byte-order loops alone, and the baseline's, each beside
// memcpy of the same amount in the same iterations: reading and writing every
// byte once is the memory speed they should reach.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "baseline_loops.h"
#include "byte_order.h"
#include "timing.h"

namespace {

template <typename Convert>
void against_memcpy(benchmark::State &state, Convert convert) {
    const auto words = static_cast<size_t>(state.range(0)) / 4;
    std::vector<uint32_t> source(words), target(words);
    for (size_t i = 0; i < words; ++i) source[i] = static_cast<uint32_t>(i * 2654435761u);
    const std::array<std::function<void()>, 2> steps = {
        [&] {
            convert(target.data(), source.data(), words);
            benchmark::ClobberMemory();
        },
        [&] {
            std::memcpy(target.data(), source.data(), words * 4);
            benchmark::ClobberMemory();
        },
    };
    std::array<double, 2> seconds{};  // conversion, memcpy
    for (auto _ : state) {
        const double converting_before = seconds[0];
        time_in_turn(steps, state.iterations(), seconds);
        state.SetIterationTime(seconds[0] - converting_before);
    }
    const double bytes = static_cast<double>(state.iterations()) * static_cast<double>(words) * 4;
    state.counters["bytes_per_second"] = byte_rate(bytes, seconds[0]);
    state.counters["memcpy_bytes_per_second"] = byte_rate(bytes, seconds[1]);
    state.counters["ratio_to_memcpy"] = per(seconds[1], seconds[0]);
}

void library_from_big_endian(benchmark::State &state) {
    against_memcpy(state,
                   [](uint32_t *target, const uint32_t *, size_t words) { wire::from_big_endian(target, words); });
}

void library_from_big_endian_24bit(benchmark::State &state) {
    against_memcpy(
        state, [](uint32_t *target, const uint32_t *, size_t words) { wire::from_big_endian_24bit(target, words); });
}

void library_copy_to_big_endian(benchmark::State &state) {
    against_memcpy(state, [](uint32_t *target, const uint32_t *source, size_t words) {
        wire::copy_to_big_endian(target, source, words);
    });
}

void baseline_swap_in_place(benchmark::State &state) {
    against_memcpy(state, [](uint32_t *target, const uint32_t *, size_t words) { swap_in_place(target, words); });
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
