// Whole runs against the fake device: capture files per channel and per
// block, failing files, a server that leaves mid-transfer, the follower,
// the early stop and the halt wait.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "whole_run.h"

namespace {

using lines = std::vector<std::string>;

constexpr int n = 16;

// Blocks first..first+count-1 of channels 0..channels-1, as a read delivers
// them: block by block, the channels in order within a block.
std::vector<int32_t> captured(int first, int count, int channels)
{
    std::vector<int32_t> samples;
    for (int b = first; b < first + count; ++b)
        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < n; ++i)
                samples.push_back(int32_t(0x80000000u + uint32_t(b) * 0x01010000u +
                                          uint32_t(ch) * 0x100u + uint32_t(i)));
    return samples;
}

// One channel's samples out of captured().
std::vector<int32_t> channel_of(const std::vector<int32_t> &samples, int channels, int ch)
{
    std::vector<int32_t> chosen;
    for (std::size_t start = std::size_t(ch) * n; start < samples.size(); start += std::size_t(channels) * n)
        chosen.insert(chosen.end(), samples.begin() + std::ptrdiff_t(start),
                      samples.begin() + std::ptrdiff_t(start + n));
    return chosen;
}

std::vector<std::string> quick_run(std::vector<std::string> more)
{
    std::vector<std::string> args = {"-s", "16", "-qq", "0", "-j", "0", "-e", "0", "-b", "1", "-z"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The transcript from "In progress." on.
lines transfer_lines(const whole_run &run)
{
    lines all = run.lines();
    auto start = std::find(all.begin(), all.end(), "In progress.");
    return start == all.end() ? lines{} : lines(start + 1, all.end());
}

fake_device three_inputs_two_reads()
{
    fake_device device;
    device.inputs = 3;
    device.reads = {captured_blocks(captured(0, 2, 3), 1, 0), nothing_ready(),
                    captured_blocks(captured(2, 1, 3), 1, 2)};
    return device;
}

TEST(WholeRun, ChannelAndBlockFilesHoldExactlyTheSamplesDelivered)
{
    temp_folder work;
    whole_run run = run_veskplay(three_inputs_two_reads(),
                                 quick_run({"-c0", "whole.raw", "-u2", "blk", "-c1", "ignored.raw", "-u1", "one"}),
                                 work.path);

    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(transfer_lines(run), (lines{
        "got 2 blocks from vesk_read_input (tag 0x00000001, sequence 0..1)",
        "Wrote block 1 for channel 0", "Wrote block 1 for channel 1", "Wrote block 1 for channel 2",
        "Wrote block 2 for channel 0", "Wrote block 2 for channel 1", "Wrote block 2 for channel 2",
        "got 1 blocks from vesk_read_input (tag 0x00000001, sequence 2..2)",
        "Wrote block 3 for channel 0", "Wrote block 3 for channel 1", "Wrote block 3 for channel 2",
        "vesk_read_input: End of stream: End-of-stream indication from server",
        "Codec has halted", "Shutting down.", "Done."}));
    std::vector<int32_t> all = captured(0, 3, 3);
    EXPECT_EQ(read_file(work / "whole.raw"), host_order_bytes(channel_of(all, 3, 0)));
    EXPECT_FALSE(std::filesystem::exists(work / "ignored.raw"));
    for (int b = 0; b < 3; ++b) {
        std::vector<int32_t> block = captured(b, 1, 3);
        std::string number = std::to_string(b + 1);
        EXPECT_EQ(read_file(work / ("one." + number)), host_order_bytes(channel_of(block, 3, 1)));
        EXPECT_EQ(read_file(work / ("blk." + number)), host_order_bytes(channel_of(block, 3, 2)));
    }
    std::vector<fake::request> reads = with_command(run.requests, VESK_CMD_READ_INPUT);
    ASSERT_EQ(reads.size(), 4u);
    EXPECT_EQ(describe(reads[0]), "READ 0x7 0xa 0 0 len=0");
}

TEST(WholeRun, CaptureFileThatCannotBeCreatedStopsTheOpeningOnly)
{
    temp_folder work;
    whole_run run = run_veskplay(three_inputs_two_reads(),
                                 quick_run({"-c0", "zero.raw", "-c1", "nowhere/one.raw", "-c2", "two.raw",
                                            "-c5", "beyond.raw"}),
                                 work.path);

    lines all = run.lines();
    ASSERT_GE(all.size(), 4u);
    EXPECT_EQ(all[1], "Capturing channel 0 to zero.raw.");
    EXPECT_EQ(all[2], "Could not open nowhere/one.raw for writing: No such file or directory");
    EXPECT_EQ(all[3], "Channel 0 stimulus data is silence");
    EXPECT_EQ(read_file(work / "zero.raw"), host_order_bytes(channel_of(captured(0, 3, 3), 3, 0)));
    EXPECT_FALSE(std::filesystem::exists(work / "two.raw"));
    EXPECT_FALSE(std::filesystem::exists(work / "beyond.raw"));
    EXPECT_EQ(last_lines(all, 2), shutdown_lines);
}

TEST(WholeRun, PerBlockFileThatCannotBeCreatedSkipsTheRestOfItsBlock)
{
    temp_folder work;
    // Longer than a path may be, though every piece of it is short.
    std::string too_long;
    while (too_long.size() < 4094)
        too_long += "./";
    too_long += "b";
    fake_device device;
    device.inputs = 2;
    device.reads = {captured_blocks(captured(0, 1, 2), 1, 0), captured_blocks(captured(1, 1, 2), 1, 1)};
    whole_run run = run_veskplay(device, quick_run({"-u0", "nowhere/blk", "-c1", "one.raw", "-n1"}),
                                 work.path);
    whole_run long_name = run_veskplay(device, quick_run({"-u0", too_long}), work.path);

    EXPECT_EQ(transfer_lines(run), (lines{
        "got 1 blocks from vesk_read_input (tag 0x00000001, sequence 0..0)",
        "Could not open nowhere/blk for writing: No such file or directory",
        "got 1 blocks from vesk_read_input (tag 0x00000001, sequence 1..1)",
        "Could not open nowhere/blk for writing: No such file or directory",
        "vesk_read_input: End of stream: End-of-stream indication from server",
        "Codec has halted", "Shutting down.", "Done."}));
    EXPECT_TRUE(read_file(work / "one.raw").empty());
    ASSERT_GE(transfer_lines(long_name).size(), 2u);
    EXPECT_EQ(transfer_lines(long_name)[1], "Could not open " + too_long + " for writing: File name too long");
}

TEST(WholeRun, FailedCaptureWriteEndsTheTransferAndKeepsWhatWasWritten)
{
    temp_folder work;
    std::filesystem::create_symlink("/dev/full", work / "full");
    fake_device device;
    device.inputs = 2;
    device.reads = {captured_blocks(captured(0, 2, 2), 1, 0), captured_blocks(captured(2, 1, 2), 1, 2)};
    whole_run run = run_veskplay(device, quick_run({"-c0", "zero.raw", "-c1", "full"}), work.path);

    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(transfer_lines(run), (lines{
        "got 2 blocks from vesk_read_input (tag 0x00000001, sequence 0..1)",
        "Wrote block 1 for channel 0",
        "Error writing capture data from channel 1 to file: No space left on device",
        "Codec has halted", "Shutting down.", "Done."}));
    EXPECT_EQ(read_file(work / "zero.raw"), host_order_bytes(channel_of(captured(0, 1, 2), 2, 0)));
    EXPECT_EQ(with_command(run.requests, VESK_CMD_READ_INPUT).size(), 1u);
}

TEST(WholeRun, ServerLeavingMidTransferKeepsEveryBlockHandled)
{
    temp_folder work;
    fake_device device;
    device.reads = {captured_blocks(captured(0, 3, 1), 1, 0), nothing_ready(),
                    captured_blocks(captured(3, 2, 1), 1, 3), fake::hang_up()};
    whole_run run = run_veskplay(device, quick_run({"-c0", "cap.raw"}), work.path);
    whole_run per_block = run_veskplay(device, quick_run({"-u0", "blk"}), work.path);

    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(last_lines(run.lines(), 5), (lines{
        "Wrote block 5 for channel 0",
        "vesk_read_input: Network error: Connection to audio device was closed",
        "vesk_query (playback): Not connected: Must be connected to server to issue queries",
        "Shutting down.", "Done."}));
    EXPECT_EQ(read_file(work / "cap.raw"), host_order_bytes(captured(0, 5, 1)));
    EXPECT_EQ(per_block.result.status, 0);
    EXPECT_EQ(read_file(work / "blk.1"), host_order_bytes(captured(0, 1, 1)));
    EXPECT_EQ(read_file(work / "blk.5"), host_order_bytes(captured(4, 1, 1)));
    EXPECT_FALSE(std::filesystem::exists(work / "blk.6"));
}

TEST(WholeRun, AnalysedChannelGoesToTheFollowerBlockByBlock)
{
    // A square wave that crosses zero upwards every 8 samples: 6000 Hz at 48000 Hz.
    std::vector<int32_t> square;
    for (int i = 0; i < 4 * n; ++i)
        square.push_back(i % 8 < 4 ? -1000000 : 1000000);
    fake_device device;
    device.inputs = 2;
    std::vector<int32_t> two_channels;
    for (int b = 0; b < 4; ++b) {
        two_channels.insert(two_channels.end(), n, 5);
        two_channels.insert(two_channels.end(), square.begin() + b * n, square.begin() + (b + 1) * n);
    }
    device.reads = {captured_blocks(two_channels, 1, 0)};
    whole_run run = run_veskplay(device, quick_run({"-n1"}));
    whole_run beyond = run_veskplay(device, quick_run({"-n2"}));

    lines got = transfer_lines(run);
    EXPECT_EQ(std::count(got.begin(), got.end(), "Analyzing block for channel 1"), 4);
    EXPECT_TRUE(std::any_of(got.begin(), got.end(), [](const std::string &line) {
        return line.rfind("input locked at ", 0) == 0;
    }));
    lines nothing = transfer_lines(beyond);
    EXPECT_EQ(std::count_if(nothing.begin(), nothing.end(), [](const std::string &line) {
                  return line.rfind("Analyzing", 0) == 0 || line.rfind("input ", 0) == 0;
              }),
              0);
}

TEST(WholeRun, HaltWaitGivesUpAfterElevenQueries)
{
    fake_device never;
    never.playback_states = {1};
    fake_device third;
    third.playback_states = {1, 3, 4};
    whole_run waited_out = run_veskplay(never, quick_run({}));
    whole_run halted = run_veskplay(third, quick_run({}));

    EXPECT_EQ(last_lines(waited_out.lines(), 4), (lines{
        "Waiting for codec to stop playing", "Waited too long for codec to stop playing",
        "Shutting down.", "Done."}));
    EXPECT_EQ(with_command(waited_out.requests, VESK_CMD_QUERY).size(), 2u + 11u);
    EXPECT_EQ(last_lines(halted.lines(), 4), (lines{
        "Waiting for codec to stop playing", "Codec has halted", "Shutting down.", "Done."}));
    EXPECT_EQ(with_command(halted.requests, VESK_CMD_QUERY).size(), 2u + 3u);
}

// A device that never ends its stream: one block per read, every other read.
fake_device endless_device(std::optional<fake::reply> answer_to_stop = std::nullopt)
{
    fake_device device;
    auto reads = std::make_shared<int>(0);
    device.fault = [reads, answer_to_stop](const fake::request &r) -> std::optional<fake::reply> {
        if (r.command == VESK_CMD_CONTROL_OUTPUT && r.arg0 == VESK_OUTPUT_STOP)
            return answer_to_stop;
        if (r.command != VESK_CMD_READ_INPUT)
            return std::nullopt;
        int at = (*reads)++;
        return at % 2 == 0 ? captured_blocks(captured(at / 2, 1, 1), 1, uint32_t(at / 2)) : nothing_ready();
    };
    return device;
}

TEST(WholeRun, EarlyStopEndsTheTransferOnceTheTimeHasPassed)
{
    whole_run run = run_veskplay(endless_device(), quick_run({"-ts", "200"}));
    whole_run refused = run_veskplay(endless_device(fake::error(VESK_SERVER_ERROR, "Refused")),
                                     quick_run({"-ts", "100"}));

    EXPECT_EQ(run.result.status, 0);
    lines got = run.lines();
    auto stop = std::find_if(got.begin(), got.end(), [](const std::string &line) {
        return line.rfind("Stopping playback after ", 0) == 0;
    });
    ASSERT_NE(stop, got.end());
    unsigned after_ms = 0;
    ASSERT_EQ(std::sscanf(stop->c_str(), "Stopping playback after %u ms", &after_ms), 1);
    EXPECT_GE(after_ms, 200u);
    EXPECT_EQ(lines(stop + 1, got.end()), (lines{"Codec has halted", "Shutting down.", "Done."}));
    // Nothing is read once output is stopped.
    EXPECT_EQ(describe(run.requests[run.requests.size() - 2]), "OUTPUT 0x220000 0 0 0 len=0");
    EXPECT_EQ(describe(run.requests.back()), "QUERY 0x2 0 0 0 len=0");

    EXPECT_EQ(last_lines(refused.lines(), 4), (lines{
        "vesk_control_output (stop): Error from server: Refused", "Codec has halted",
        "Shutting down.", "Done."}));
}

}  // namespace
