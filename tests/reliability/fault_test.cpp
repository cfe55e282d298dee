// veskplay against a server that dies, stalls or trickles at each stage of
// a run: the failure line of the call it was in, the one shutdown path,
// status 0, and every block handled before the fault in the capture file.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "whole_run.h"

namespace {

using namespace std::chrono_literals;

constexpr int n = 16;
constexpr int reads_before_fault = 2;

enum class fault { dies, stalls, trickles };

const char *name_of(fault f)
{
    return f == fault::dies ? "dies" : f == fault::stalls ? "stalls" : "trickles";
}

// The reply the fault puts in place of the real one. Stalling and trickling
// both outlast the 2 s progress time-out of the library.
fake::reply faulty(fault f)
{
    switch (f) {
    case fault::dies: return fake::hang_up();
    case fault::stalls: return fake::silence();
    case fault::trickles: return fake::trickled(fake::ordinary(), 1, 150ms);
    }
    return fake::ordinary();
}

std::string failure_text(fault f)
{
    return f == fault::dies ? "Network error: Connection to audio device was closed"
                            : "Network error: Timed out receiving network traffic";
}

struct stage {
    const char *name;
    std::function<bool(const fake::request &, int reads_so_far)> is_faulty;
    std::string failure_line;  // %s stands for the text of the fault
    int blocks_on_disk;
};

bool is_query(const fake::request &r, uint32_t code) { return r.command == VESK_CMD_QUERY && r.arg0 == code; }

std::vector<int32_t> block_samples(int block)
{
    std::vector<int32_t> samples(n);
    for (int i = 0; i < n; ++i)
        samples[static_cast<size_t>(i)] = block * 0x10000 + i;
    return samples;
}

TEST(Fault, EveryStageEndsThroughTheShutdownAndKeepsWhatWasHandled)
{
    const stage stages[] = {
        {"connect", [](const fake::request &r, int) { return r.command == VESK_CMD_CONNECT; }, "vesk_connect: %s.", 0},
        {"set-up", [](const fake::request &r, int) { return is_query(r, VESK_QUERY_CHANNELS); },
         "vesk_query (channels): %s", 0},
        {"staging",
         [](const fake::request &r, int) { return r.command == VESK_CMD_STAGE_OUTPUT && r.arg0 == VESK_STAGE_DATA; },
         "vesk_stage_output (data): %s", 0},
        {"transfer",
         [](const fake::request &r, int reads) { return r.command == VESK_CMD_READ_INPUT && reads == reads_before_fault; },
         "vesk_read_input: %s", reads_before_fault},
        {"halt wait", [](const fake::request &r, int) { return is_query(r, VESK_QUERY_PLAYBACK); },
         "vesk_query (playback): %s", reads_before_fault},
    };
    for (const stage &s : stages) {
        for (fault f : {fault::dies, fault::stalls, fault::trickles}) {
            SCOPED_TRACE(std::string(s.name) + " " + name_of(f));
            temp_folder work;
            fake_device device;
            for (int b = 1; b <= reads_before_fault; ++b)
                device.reads.push_back(captured_blocks(block_samples(b), 3, static_cast<uint32_t>(b - 1)));
            device.playback_states = {1};
            auto reads = std::make_shared<int>(0);
            device.fault = [&s, f, reads](const fake::request &r) -> std::optional<fake::reply> {
                bool hit = s.is_faulty(r, *reads);
                if (r.command == VESK_CMD_READ_INPUT)
                    ++*reads;
                return hit ? std::optional<fake::reply>(faulty(f)) : std::nullopt;
            };
            whole_run run = run_veskplay(device,
                                         {"-s", "16", "-qq", "0", "-j", "0", "-e", "0", "-b", "2", "-z", "-c0", "cap.raw"},
                                         work.path);

            EXPECT_EQ(run.result.status, 0) << run.result.output;
            std::vector<std::string> lines = run.lines();
            std::string failure_line = s.failure_line;
            failure_line.replace(failure_line.find("%s"), 2, failure_text(f));
            EXPECT_NE(std::find(lines.begin(), lines.end(), failure_line), lines.end()) << run.result.output;
            EXPECT_EQ(last_lines(lines, 2), shutdown_lines);
            std::vector<int32_t> expected;
            for (int b = 1; b <= s.blocks_on_disk; ++b) {
                std::vector<int32_t> samples = block_samples(b);
                expected.insert(expected.end(), samples.begin(), samples.end());
            }
            if (s.blocks_on_disk == 0)
                EXPECT_TRUE(read_file(work / "cap.raw").empty());
            else
                EXPECT_EQ(read_file(work / "cap.raw"), host_order_bytes(expected));
        }
    }
}

}  // namespace
