// veskmeasure on a long capture, run as the program users run: its rate in
// samples per second and its peak memory (maximum resident set size, from
// /usr/bin/time), which must stay bounded whatever the length.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int64_t capture_samples = int64_t{1} << 24;  // 5.8 minutes at 48 kHz, 64 MiB

// A 997 Hz sine with a little noise, written once per run of the benchmarks.
std::string long_capture() {
    static std::string path;
    if (!path.empty()) return path;
    path =
        (std::filesystem::temp_directory_path() / ("veskmeasure-bench-" + std::to_string(getpid()) + ".raw")).string();
    FILE *file = std::fopen(path.c_str(), "wb");
    std::vector<int32_t> chunk(1 << 16);
    uint32_t noise = 1;
    for (int64_t done = 0; done < capture_samples; done += static_cast<int64_t>(chunk.size())) {
        for (size_t i = 0; i < chunk.size(); ++i) {
            noise = noise * 1664525u + 1013904223u;
            double v = 0.5 * std::sin(2 * M_PI * 997.0 * static_cast<double>(done + static_cast<int64_t>(i)) / 48000);
            chunk[i] = static_cast<int32_t>(v * 2147483647.0) + static_cast<int32_t>(noise >> 22) - 512;
        }
        std::fwrite(chunk.data(), 4, chunk.size(), file);
    }
    std::fclose(file);
    std::atexit([] { std::filesystem::remove(path); });
    return path;
}

void veskmeasure_long_capture(benchmark::State &state) {
    std::string command = "/usr/bin/time -f %M " VESK_BUILT_VESKMEASURE " " + long_capture() + " 2>&1 >/dev/null";
    long peak_kib = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        FILE *run = popen(command.c_str(), "r");
        long kib = 0;
        if (!run || std::fscanf(run, "%ld", &kib) != 1 || pclose(run) != 0) {
            state.SkipWithError("veskmeasure or /usr/bin/time failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        peak_kib = std::max(peak_kib, kib);
    }
    state.counters["samples_per_second"] =
        benchmark::Counter(static_cast<double>(capture_samples), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_memory_mib"] = static_cast<double>(peak_kib) / 1024;
}

BENCHMARK(veskmeasure_long_capture)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
