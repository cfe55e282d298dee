// What every transfer benchmark sets up: the in-process server, a library
// instance connected to it and a raw connection beside it.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

#include "bench_server.h"
#include "veskclient.h"

struct bench_session {
    bench_server server;
    vesk_instance *library = nullptr;
    int raw = -1;
};

// On failure the benchmark is skipped with the reason and false returned.
bool open_session(bench_session &session, benchmark::State &state, uint32_t block_size,
                  size_t capture_samples, size_t stage_bytes);
void close_session(bench_session &session);

using bench_clock = std::chrono::steady_clock;

inline double seconds_since(bench_clock::time_point start) {
    return std::chrono::duration<double>(bench_clock::now() - start).count();
}

// Counters shared by the transfer benchmarks.
inline benchmark::Counter per(double amount, double divisor) {
    return benchmark::Counter(divisor > 0 ? amount / divisor : 0);
}
inline benchmark::Counter byte_rate(double bytes, double seconds) {
    return benchmark::Counter(seconds > 0 ? bytes / seconds : 0, benchmark::Counter::kDefaults,
                              benchmark::Counter::kIs1024);
}
