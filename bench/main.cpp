// Runs every benchmark with this thread pinned to the core that the server
// threads use too.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "pin_cpu.h"
#include "vesksim_bench.h"

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!pin_to_bench_cpu()) {
        std::fprintf(stderr, "cannot pin to cpu %d\n", bench_cpu());
        return 1;
    }
    benchmark::AddCustomContext("pinned_cpu", std::to_string(bench_cpu()));
    const char *vesksim = std::getenv("VESKSIM");
    if (vesksim && *vesksim)
        register_vesksim_benchmark(vesksim);
    else
        std::fprintf(stderr, "VESKSIM is not set: the vesksim benchmark is skipped\n");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
