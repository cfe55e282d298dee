#include "vesksim_bench.h"

#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "timing.h"
#include "veskclient.h"

extern char **environ;

namespace {

constexpr uint32_t sim_channels = 32;
constexpr uint32_t sim_block_size = 1024;
constexpr uint32_t sim_sequence_blocks = 2000;
constexpr uint32_t sim_read_blocks = 10;

struct vesksim_process {
    pid_t pid = -1;
    uint16_t port = 0;
    std::filesystem::path folder;
};

std::string start_vesksim(vesksim_process &sim, const std::string &path) {
    char folder[] = "/tmp/vesk_bench.XXXXXX";
    if (!mkdtemp(folder)) return "cannot make a temporary folder";
    sim.folder = folder;
    const std::string port_file = (sim.folder / "port").string();
    const std::string channels = std::to_string(sim_channels);
    std::vector<std::string> words = {path,      "--listen", "127.0.0.1:0", "--port-file", port_file,
                                      "--speed", "0",        "--hardware",  "b",           "--outputs",
                                      channels,  "--inputs", channels};
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawn(&sim.pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        sim.pid = -1;
        return "cannot start " + path;
    }
    for (int wait = 0; wait < 500; ++wait) {
        int port = 0;
        if (std::ifstream(port_file) >> port && port > 0) {
            sim.port = static_cast<uint16_t>(port);
            return "";
        }
        if (waitpid(sim.pid, nullptr, WNOHANG) == sim.pid) {
            sim.pid = -1;
            return "vesksim ended before listening";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "vesksim wrote no port file";
}

void stop_vesksim(vesksim_process &sim) {
    if (sim.pid > 0) {
        kill(sim.pid, SIGTERM);
        waitpid(sim.pid, nullptr, 0);
    }
    sim.pid = -1;
    if (!sim.folder.empty()) std::filesystem::remove_all(sim.folder);
}

std::string set_up(vesk_instance *library, uint16_t port, const int32_t *const *table) {
    const std::string address = "127.0.0.1:" + std::to_string(port);
    if (vesk_control(library, VESK_CONTROL_BLOCK_SIZE, sim_block_size) != VESK_SUCCESS ||
        vesk_connect(library, address.c_str()) != VESK_SUCCESS ||
        vesk_control(library, VESK_CONTROL_SAMPLE_RATE, 48000) != VESK_SUCCESS ||
        vesk_control(library, VESK_CONTROL_LOOPBACK, VESK_LOOPBACK_SERVER) != VESK_SUCCESS ||
        vesk_stage_output(library, VESK_STAGE_RESET, 0, nullptr, 0, 0) != VESK_SUCCESS ||
        vesk_stage_output(library, VESK_STAGE_DATA, sim_channels, table, sim_sequence_blocks, 1) != VESK_SUCCESS)
        return vesk_errtext(library);
    return "";
}

// Plays the staged sequence once and reads every block of it; returns the
// number of blocks read, or -1.
long play_and_read(vesk_instance *library, std::vector<int32_t> &buffer) {
    if (vesk_control_output(library, VESK_OUTPUT_START) != VESK_SUCCESS) return -1;
    long blocks = 0;
    for (;;) {
        uint32_t count = sim_read_blocks;
        const int32_t code = vesk_read_input(library, 0xFFFFFFFFu, buffer.data(), &count, 0, nullptr, nullptr);
        if (code == VESK_END_OF_STREAM) return blocks;
        if (code != VESK_SUCCESS) return -1;
        blocks += count;
    }
}

bool wait_for_halt(vesk_instance *library) {
    for (int poll = 0; poll < 1000; ++poll) {
        uint32_t state = 0;
        if (vesk_query(library, VESK_QUERY_PLAYBACK, &state, nullptr, nullptr, nullptr) != VESK_SUCCESS) return false;
        if (state == VESK_PLAYBACK_HALTED) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void vesksim_speed_0(benchmark::State &state, const std::string &path) {
    vesksim_process sim;
    vesk_instance *library = vesk_init(0, nullptr);
    std::vector<int32_t> block(sim_block_size, 1 << 20);
    std::vector<const int32_t *> table(sim_channels, block.data());
    std::vector<int32_t> buffer(size_t{sim_read_blocks} * sim_channels * sim_block_size);

    std::string error = start_vesksim(sim, path);
    if (error.empty()) error = set_up(library, sim.port, table.data());
    if (!error.empty()) state.SkipWithError(error.c_str());

    double seconds = 0;
    long blocks = 0;
    if (error.empty()) {
        for (auto _ : state) {
            // Elapsed time: vesksim's own CPU time is not in this process's.
            const auto start = std::chrono::steady_clock::now();
            const long played = play_and_read(library, buffer);
            const double playing = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (played < 0 || !wait_for_halt(library)) {
                state.SkipWithError(vesk_errtext(library));
                break;
            }
            state.SetIterationTime(playing);
            seconds += playing;
            blocks += played;
        }
    }
    const double bytes = static_cast<double>(blocks) * 4 * sim_channels * sim_block_size;
    state.counters["blocks_per_second"] = per(static_cast<double>(blocks), seconds);
    state.counters["bytes_per_second"] = byte_rate(bytes, seconds);
    vesk_connect(library, nullptr);
    vesk_shutdown(library);
    stop_vesksim(sim);
}

}  // namespace

void register_vesksim_benchmark(const std::string &vesksim_path) {
    benchmark::RegisterBenchmark("vesksim_speed_0/blocks:10/channels:32/samples:1024",
                                 [vesksim_path](benchmark::State &state) { vesksim_speed_0(state, vesksim_path); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}
