// Whole runs against vesksim: what is captured under server loopback is
// what was played, sample for sample, in playing order.
#include <gtest/gtest.h>

#include <algorithm>

#include "expected_samples.h"
#include "program_run.h"
#include "vesksim_child.h"

namespace {

using lines = std::vector<std::string>;

constexpr int n = 64;

program_result run_against(const vesksim_child &sim, std::vector<std::string> args,
                           const std::filesystem::path &work)
{
    args.insert(args.begin(), {"-a", sim.address(), "-s", std::to_string(n), "-l", "server"});
    return run_program(built_program("VESKPLAY"), args, work);
}

std::vector<int32_t> blocks_of(const std::vector<int32_t> &block, int count)
{
    return joined(std::vector<std::vector<int32_t>>(std::size_t(count), block));
}

bool has_line_starting(const lines &all, const std::string &start)
{
    return std::any_of(all.begin(), all.end(),
                       [&](const std::string &line) { return line.rfind(start, 0) == 0; });
}

TEST(SimulatedRun, CaptureUnderServerLoopbackIsWhatWasPlayed)
{
    temp_folder work;
    std::vector<int32_t> played = playback_pattern(n, 5);
    write_file(work / "play.raw", host_order_bytes(played));
    vesksim_child sim({"--speed", "0"});
    program_result result = run_against(
        sim, {"-r0", "play.raw", "-f", "3000", "-b", "5", "-c0", "c0.raw", "-c1", "c1.raw"}, work.path);

    EXPECT_EQ(result.status, 0);
    lines all = result.lines();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[0], "Rev C3+ hardware detected.");
    EXPECT_EQ(all[1], "Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff");
    EXPECT_EQ(all[2], "New hardware settings:     running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff");
    EXPECT_TRUE(has_line_starting(all, "got 5 blocks from vesk_read_input (tag 0x00000003, sequence "));
    EXPECT_EQ(last_lines(all, 5), (lines{
        "vesk_read_input: End of stream: End-of-stream indication from server",
        "Waiting for codec to stop playing", "Codec has halted", "Shutting down.", "Done."}));
    EXPECT_EQ(read_file(work / "c0.raw"), host_order_bytes(blocks_of(played, 5)));
    EXPECT_EQ(read_file(work / "c1.raw"), host_order_bytes(blocks_of(sine(n, 4, 1.0), 5)));
}

TEST(SimulatedRun, PromiscuousCaptureHoldsTheWholeSequenceInPlayingOrder)
{
    temp_folder work;
    vesksim_child sim({"--speed", "0", "--outputs", "1", "--inputs", "1"});
    program_result result = run_against(
        sim, {"-p", "-q", "70", "-j", "1", "-b", "2", "-e", "1", "-td", "0.5", "-w", "-c0", "c0.raw"}, work.path);

    EXPECT_EQ(result.status, 0);
    std::vector<int32_t> up;
    std::vector<int32_t> down;
    for (int j = 0; j < n; ++j) {
        up.push_back(16777212 * j);  // 0x3FFFFF00 × j / 64
        down.push_back(16777212 * (n - 1 - j));
    }
    std::vector<int32_t> dc = repeated(n, 0x3FFFFF00);
    std::vector<int32_t> want = joined({blocks_of(repeated(n, 0), 70), up, dc, dc, dc, down, repeated(n, 0)});
    EXPECT_EQ(read_file(work / "c0.raw"), host_order_bytes(want));
}

}  // namespace
