// What every transfer benchmark sets up: the in-process server, a library
// instance connected to it and a raw connection beside it.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_server.h"
#include "veskclient.h"

struct bench_session {
    bench_server server;
    vesk_instance *library = nullptr;
    int raw = -1;
};

// On failure the benchmark is skipped with the reason and false returned.
bool open_session(bench_session &session, benchmark::State &state, uint32_t block_size, size_t capture_samples,
                  size_t stage_bytes);
void close_session(bench_session &session);
