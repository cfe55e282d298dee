// Whole runs against vesksim: what is captured under server loopback is
// what was played, sample for sample; per-block files; the follower; the
// early stop and the halt wait.
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

TEST(SimulatedRun, ExtendedSequencePlaysTheFilesBlockByBlock)
{
    temp_folder work;
    std::vector<int32_t> first = playback_pattern(n * 5 / 2, 1);
    std::vector<int32_t> second = playback_pattern(n * 3, 2);
    write_file(work / "a.raw", host_order_bytes(first));
    write_file(work / "b.raw", host_order_bytes(second));
    vesksim_child sim({"--speed", "0"});
    program_result result = run_against(
        sim, {"-x", "-q", "40", "-r0", "a.raw", "-r1", "b.raw", "-c0", "c0.raw", "-u1", "blk"}, work.path);

    EXPECT_EQ(result.status, 0);
    first.resize(std::size_t(n) * 3, 0);
    EXPECT_EQ(read_file(work / "c0.raw"), host_order_bytes(first));
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(read_file(work / ("blk." + std::to_string(b + 1))),
                  host_order_bytes(std::vector<int32_t>(second.begin() + b * n, second.begin() + (b + 1) * n)));
    EXPECT_FALSE(std::filesystem::exists(work / "blk.4"));
}

TEST(SimulatedRun, FollowerLocksOnTheLoopedBackSine)
{
    temp_folder work;
    vesksim_child sim({"--speed", "0", "--outputs", "1", "--inputs", "1"});
    program_result result = run_program(
        built_program("VESKPLAY"), {"-a", sim.address(), "-l", "server", "-b", "10", "-n0"}, work.path);

    lines all = result.lines();
    EXPECT_EQ(std::count(all.begin(), all.end(), "Analyzing block for channel 0"), 10);
    EXPECT_TRUE(has_line_starting(all, "input locked at 4")) << result.output;
    EXPECT_EQ(last_lines(all, 2), shutdown_lines);
}

TEST(SimulatedRun, EarlyStopThenTheCodecHalts)
{
    temp_folder work;
    // Real time, so that blocks arrive while the clock runs.
    vesksim_child sim({"--speed", "1", "--outputs", "1", "--inputs", "1"});
    program_result result = run_program(
        built_program("VESKPLAY"),
        {"-a", sim.address(), "-l", "server", "-b", "500", "-ts", "300", "-c0", "c0.raw"}, work.path);

    EXPECT_EQ(result.status, 0);
    lines all = result.lines();
    auto stop = std::find_if(all.begin(), all.end(), [](const std::string &line) {
        return line.rfind("Stopping playback after ", 0) == 0;
    });
    ASSERT_NE(stop, all.end()) << result.output;
    unsigned after_ms = 0;
    ASSERT_EQ(std::sscanf(stop->c_str(), "Stopping playback after %u ms", &after_ms), 1);
    EXPECT_GE(after_ms, 300u);
    EXPECT_EQ(lines(stop + 1, all.end()), (lines{"Waiting for codec to stop playing", "Codec has halted",
                                                 "Shutting down.", "Done."}));
    // Far fewer than the 500 data blocks were captured, each of them whole.
    std::size_t bytes = read_file(work / "c0.raw").size();
    EXPECT_GT(bytes, 0u);
    EXPECT_LT(bytes, 100u * 1024 * 4);
    EXPECT_EQ(bytes % (1024 * 4), 0u);
}

}  // namespace
