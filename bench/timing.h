// Timing and counters shared by the benchmarks.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <array>
#include <cstddef>
#include <functional>

// Work is timed by the CPU time of the whole process: with the client and
// the server threads on one core it is the elapsed time while the core is
// ours, and it leaves out what other processes on a shared machine take.
inline double process_seconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs and times each step once, adding its seconds to its total. Each
// iteration starts with the next step, so that no step always runs first or
// always right after the same other.
template <std::size_t N>
void time_in_turn(const std::array<std::function<void()>, N> &steps, std::size_t iteration,
                  std::array<double, N> &seconds) {
    for (std::size_t k = 0; k < N; ++k) {
        const std::size_t step = (iteration + k) % N;
        const double start = process_seconds();
        steps[step]();
        seconds[step] += process_seconds() - start;
    }
}

inline benchmark::Counter per(double amount, double divisor) {
    return benchmark::Counter(divisor > 0 ? amount / divisor : 0);
}

inline benchmark::Counter byte_rate(double bytes, double seconds) {
    return benchmark::Counter(seconds > 0 ? bytes / seconds : 0, benchmark::Counter::kDefaults,
                              benchmark::Counter::kIs1024);
}
