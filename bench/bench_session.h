// What every transfer benchmark sets up: the in-process server, a library
// instance connected to it and a raw connection beside it.
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

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

// Transfers are timed by the CPU time of the whole process: with the client
// and the server threads on one core it is the elapsed time while the core
// is ours, and it leaves out what other processes on a shared machine take.
inline double process_seconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Counters shared by the transfer benchmarks.
inline benchmark::Counter per(double amount, double divisor) {
    return benchmark::Counter(divisor > 0 ? amount / divisor : 0);
}
inline benchmark::Counter byte_rate(double bytes, double seconds) {
    return benchmark::Counter(seconds > 0 ? bytes / seconds : 0, benchmark::Counter::kDefaults,
                              benchmark::Counter::kIs1024);
}
