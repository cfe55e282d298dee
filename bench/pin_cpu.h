// Every thread of the benchmark, client and server alike, runs on one core,
// so that a figure and its baseline see the same scheduling.
#pragma once

// The core to use: $VESK_BENCH_CPU, else the first core this process may use.
int bench_cpu();
// Pins the calling thread to bench_cpu(); false when the system refuses.
bool pin_to_bench_cpu();
