// Whole runs against the fake device: capture files per channel and per
// block, files that cannot be opened, written or told apart, a server that
// leaves or refuses mid-transfer, the follower, the early stop and the halt
// wait.
#include <gtest/gtest.h>

#include "whole_run.h"

namespace {

using lines = std::vector<std::string>;

constexpr int n = 48;  // 192 bytes a block: a 512-byte file limit falls inside block 3

std::vector<int32_t> captured(int first, int count, int channels) { return ::captured(first, count, channels, n); }

// One channel's samples out of captured().
std::vector<int32_t> channel_of(const std::vector<int32_t> &samples, int channels, int ch) {
    std::vector<int32_t> chosen;
    for (std::size_t start = std::size_t(ch) * n; start < samples.size(); start += std::size_t(channels) * n)
        chosen.insert(chosen.end(), samples.begin() + std::ptrdiff_t(start),
                      samples.begin() + std::ptrdiff_t(start + n));
    return chosen;
}

lines quick_run(const lines &more) {
    return concat({"-s", std::to_string(n), "-qq", "0", "-j", "0", "-e", "0", "-b", "1", "-z"}, more);
}

// A quick run's transcript: up to "In progress.", with the file lines given
// (ADDRESS stands for the fake server's address), then the rest.
lines started(const lines &files, const lines &rest, const lines &segments = {"  1 data block (*)"},
              const std::string &stimulus = "silence") {
    lines opening = concat({"Rev C3+ features not supported; assuming Rev B hardware."}, files);
    opening = concat(opening, {"Channel 0 stimulus data is " + stimulus, "Server at ADDRESS.", "No loopback.",
                               "Data sequence (all blocks have 48 samples):"});
    return concat(
        concat(opening, segments),
        concat({"Response will be captured during portions of sequence marked with (*)", "In progress."}, rest));
}

// The lines for reads of count blocks from first on, each written for every channel.
lines delivered(const std::vector<std::pair<int, int>> &reads, int channels, const lines &rest) {
    lines text;
    for (auto [first, count] : reads) {
        text.push_back("got " + std::to_string(count) + " blocks from vesk_read_input (tag 0x00000001, sequence " +
                       std::to_string(first) + ".." + std::to_string(first + count - 1) + ")");
        for (int b = first + 1; b <= first + count; ++b)
            for (int ch = 0; ch < channels; ++ch)
                text.push_back("Wrote block " + std::to_string(b) + " for channel " + std::to_string(ch));
    }
    return concat(text, rest);
}

const std::string end_of_stream_line = "vesk_read_input: End of stream: End-of-stream indication from server";
const lines halted = {"Codec has halted", "Shutting down.", "Done."};
const lines stream_ended = concat({end_of_stream_line}, halted);
const std::string stop_output = "OUTPUT 0x220000 0 0 0 len=0";
const std::string playback_query = "QUERY 0x2 0 0 0 len=0";
const std::string read_one = "READ 0x1 0xa 0 0 len=0";
const std::string got_first = "got 1 blocks from vesk_read_input (tag 0x00000001, sequence 0..0)";

// A per-block prefix of short pieces whose names are as long as a path may
// be (4095 characters) up to block 9, and longer from block 10 on.
std::string long_prefix() {
    std::string name;
    while (name.size() < 4092) name += "./";
    return name + "b";
}

// A square wave that crosses zero upwards every 8 samples: 6000 Hz at 48000 Hz.
std::vector<int32_t> square_wave() {
    std::vector<int32_t> block;
    for (int i = 0; i < n; ++i) block.push_back(i % 8 < 4 ? -1000000 : 1000000);
    return block;
}

using file_on_disk = std::pair<std::string, std::optional<std::vector<int32_t>>>;  // none: must not exist

fake_device with_reads(uint32_t inputs, std::vector<fake::reply> reads) {
    return {.inputs = inputs, .reads = std::move(reads)};
}

TEST(WholeRun, CaptureWritesWholeBlocksOnlyAndEndsWithItsStatus) {
    const std::string locked = "input locked at 6000.000000 Hz, 0% of full scale (0xFFF0BDC0 to 0x000F4240)";
    const std::string unlocked = " intervals, 8..8), 0% of full scale (0xFFF0BDC0 to 0x000F4240)";
    const struct {
        fake_device device;
        std::string args;  // after quick_run's
        lines transcript;  // ADDRESS stands for the server's address
        int status;
        lines last_requests;                   // empty: the server saw no request at all
        std::vector<file_on_disk> files = {};  // checked after the run
        std::string shell_setup = {};
    } cases[] = {
        // Channel and block files.
        {with_reads(
             3, {captured_blocks(captured(0, 2, 3), 1, 0), nothing_ready(), captured_blocks(captured(2, 1, 3), 1, 2)}),
         "-c0 whole.raw -u2 blk -c1 ignored.raw -u1 one",
         started({"Capturing channel 0 to whole.raw."}, delivered({{0, 2}, {2, 1}}, 3, stream_ended)),
         0,
         {"READ 0x7 0xa 0 0 len=0", playback_query},
         {{"whole.raw", channel_of(captured(0, 3, 3), 3, 0)},
          {"ignored.raw", std::nullopt},
          {"one.1", channel_of(captured(0, 1, 3), 3, 1)},
          {"one.3", channel_of(captured(2, 1, 3), 3, 1)},
          {"blk.1", channel_of(captured(0, 1, 3), 3, 2)},
          {"blk.3", channel_of(captured(2, 1, 3), 3, 2)},
          {"blk.4", std::nullopt}}},
        // A channel file that cannot be opened ends the run before output.
        {with_reads(3, {}),
         "-c0 zero.raw -c1 nowhere/one.raw -c2 two.raw",
         {"Rev C3+ features not supported; assuming Rev B hardware.", "Capturing channel 0 to zero.raw.",
          "Could not open nowhere/one.raw for writing: No such file or directory", "Shutting down.", "Done."},
         2,
         {"QUERY 0x1 0 0 0 len=0"},
         {{"zero.raw", std::vector<int32_t>{}}, {"two.raw", std::nullopt}}},
        // A block file that cannot be opened misses only its channel.
        {with_reads(3, {captured_blocks(joined({repeated(n, 5), square_wave(), repeated(n, 5)}), 1, 0)}),
         "-u0 nowhere/blk -c1 one.raw -n1",
         started({"Capturing channel 1 to one.raw."},
                 concat({"got 1 blocks from vesk_read_input (tag 0x00000001, sequence 0..0)",
                         "Could not open nowhere/blk for writing: No such file or directory",
                         "Wrote block 1 for channel 1", "Analyzing block for channel 1", "input unlocked (1" + unlocked,
                         "input unlocked (2" + unlocked, locked, locked, locked},
                        stream_ended)),
         2,
         {playback_query},
         {{"one.raw", square_wave()}}},
        {with_reads(1, {captured_blocks(captured(0, 9, 1), 1, 0), captured_blocks(captured(9, 1, 1), 1, 9)}),
         "-u0 " + long_prefix(),
         started({}, delivered({{0, 9}}, 1,
                               concat({"got 1 blocks from vesk_read_input (tag 0x00000001, sequence 9..9)",
                                       "Could not open " + long_prefix() + " for writing: File name too long"},
                                      stream_ended))),
         2,
         {playback_query},
         {{"b.9", captured(8, 1, 1)}, {"b.10", std::nullopt}}},
        // A full disk cuts the channel file back to whole blocks.
        {with_reads(1, {captured_blocks(captured(0, 2, 1), 1, 0), captured_blocks(captured(2, 2, 1), 1, 2)}),
         "-c0 cap.raw",
         started({"Capturing channel 0 to cap.raw."},
                 delivered(
                     {{0, 2}}, 1,
                     delivered({{2, 2}}, 0,
                               concat({"Error writing capture data from channel 0 to file: File too large"}, halted)))),
         2,
         {read_one, stop_output, playback_query},
         {{"cap.raw", captured(0, 2, 1)}},
         "ulimit -f 1; trap '' XFSZ"},
        // A full disk removes the block file.
        {with_reads(1, {captured_blocks(captured(0, 3, 1), 1, 0)}),
         "-u0 full",
         started({}, concat({"got 3 blocks from vesk_read_input (tag 0x00000001, sequence 0..2)",
                             "Wrote block 1 for channel 0",
                             "Error writing capture data from channel 0 to file: No space left on device"},
                            halted)),
         2,
         {read_one, stop_output, playback_query},
         {{"full.1", captured(0, 1, 1)}, {"full.2", std::nullopt}, {"full.3", std::nullopt}}},
        // A server leaving keeps every block handled.
        {with_reads(
             1, {captured_blocks(captured(0, 3, 1), 1, 0), captured_blocks(captured(3, 1, 1), 1, 3), fake::hang_up()}),
         "-c0 cap.raw",
         started({"Capturing channel 0 to cap.raw."},
                 delivered({{0, 3}, {3, 1}}, 1,
                           {"vesk_read_input: Network error: Connection to audio device was closed",
                            "vesk_query (playback): Not connected: Must be connected to server to issue queries",
                            "Shutting down.", "Done."})),
         2,
         {read_one},
         {{"cap.raw", captured(0, 4, 1)}}},
        // A refused read stops output.
        {with_reads(1, {captured_blocks(captured(0, 1, 1), 1, 0), fake::error(VESK_SERVER_ERROR, "Refused")}),
         "-u0 blk",
         started({}, delivered({{0, 1}}, 1, concat({"vesk_read_input: Error from server: Refused"}, halted))),
         2,
         {read_one, stop_output, playback_query},
         {{"blk.1", captured(0, 1, 1)}}},
        // The halt wait gives up after eleven queries.
        {{.playback_states = {1}},
         "",
         started({}, {got_first, end_of_stream_line, "Waiting for codec to stop playing",
                      "Waited too long for codec to stop playing", "Shutting down.", "Done."}),
         2,
         concat({read_one}, lines(11, playback_query))},
        {{.playback_states = {1, 3, 4}},
         "",
         started({}, concat({got_first, end_of_stream_line, "Waiting for codec to stop playing"}, halted)),
         0,
         {read_one, playback_query, playback_query, playback_query}},
        // A stream that skips blocks of a segment, and ends before every capture block has come.
        {with_reads(1, {captured_blocks(captured(0, 2, 1), 1, 0), captured_blocks(captured(4, 1, 1), 1, 4)}),
         "-b 6 -c0 cap.raw",
         started({"Capturing channel 0 to cap.raw."},
                 delivered({{0, 2}}, 1,
                           concat({"got 1 blocks from vesk_read_input (tag 0x00000001, sequence 4..4)",
                                   "The stream skipped 2 blocks (tag 0x00000001, sequence 2..3).",
                                   "Wrote block 3 for channel 0", end_of_stream_line,
                                   "The stream ended after 5 of 6 capture blocks."},
                                  halted)),
                 {"  6 data blocks (*)"}),
         2,
         {read_one, playback_query},
         {{"cap.raw", joined({captured(0, 2, 1), captured(4, 1, 1)})}}},
        // Quiet blocks captured too; a new segment starts where it starts; half the numbers away is behind.
        {with_reads(1, {captured_blocks(captured(0, 1, 1), 1, 0), captured_blocks(captured(5, 1, 1), 2, 5),
                        captured_blocks(captured(6, 1, 1), 2, 0x80000006)}),
         "-p -e 3",
         started({},
                 {got_first, "got 1 blocks from vesk_read_input (tag 0x00000002, sequence 5..5)",
                  "got 1 blocks from vesk_read_input (tag 0x00000002, sequence -2147483642..-2147483642)",
                  end_of_stream_line, "The stream ended after 3 of 4 capture blocks.", "Codec has halted",
                  "Shutting down.", "Done."},
                 {"  1 data block (*)", "  3 following quiet blocks (*)"}),
         2,
         {read_one, playback_query}},
        // An extended sequence counts its blocks as captured.
        {with_reads(1, {nothing_ready()}),
         "-x -r0 f.raw",
         started({"f.raw contains 1 full blocks", "The length of the output sequence will be set to 1 blocks"},
                 concat({end_of_stream_line, "The stream ended after 0 of 1 capture blocks."}, halted),
                 {"  1 block of an extended audio sequence (*)"}, "external input."),
         2,
         {read_one, playback_query}},
        // A looped sequence has no end to reach.
        {with_reads(1, {nothing_ready()}),
         "-xl -r0 f.raw",
         started({"f.raw contains 1 full blocks", "The length of the output sequence will be set to 1 blocks"},
                 stream_ended, {"  1 block of a looped extended audio sequence (*)"}, "external input."),
         0,
         {read_one, playback_query}},
        // Memory that cannot be had ends the run before it connects.
        {with_reads(1, {}),
         "-s 65536",
         {"Could not allocate memory for the capture buffer (83886080 bytes).", "Shutting down.", "Done."},
         2,
         {},
         {},
         "ulimit -v 65536"},
        // Files that are one file (the command line's tests have the other clashes).
        {with_reads(1, {}),
         "-c0 link.raw -r0 f.raw",
         {"-r0 f.raw and -c0 link.raw name the same file."},
         1,
         {},
         {{"f.raw", playback_pattern(n, 1)}}},
    };
    // Whole blocks only reach the files, and the run ends with its status.
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args);
        if (address_sanitized && c.shell_setup.starts_with("ulimit -v")) continue;
        temp_folder work;
        write_file(work / "f.raw", host_order_bytes(playback_pattern(n, 1)));
        std::filesystem::create_symlink("f.raw", work / "link.raw");
        std::filesystem::create_symlink("/dev/full", work / "full.2");
        write_file(work / "whole.raw", std::vector<uint8_t>(4096, 9));  // an earlier run's, longer
        whole_run run = run_veskplay(c.device, quick_run(words(c.args)), work.path, c.shell_setup);

        lines want = c.transcript;
        std::replace(want.begin(), want.end(), std::string("Server at ADDRESS."), "Server at " + run.address + ".");
        EXPECT_EQ(run.lines(), want);
        EXPECT_EQ(run.result.status, c.status);
        for (const auto &[name, samples] : c.files) {
            SCOPED_TRACE(name);
            EXPECT_EQ(std::filesystem::exists(std::filesystem::symlink_status(work / name)), bool(samples));
            if (samples) {
                EXPECT_EQ(read_file(work / name), host_order_bytes(*samples));
            }
        }
        EXPECT_EQ(last_lines(describe(run.requests), c.last_requests.size()), c.last_requests);
        EXPECT_EQ(run.requests.empty(), c.last_requests.empty());
    }
}

// A device that never ends its stream: one block per read, every other read.
fake_device endless_device(std::optional<fake::reply> answer_to_stop = std::nullopt) {
    auto reads = std::make_shared<int>(0);
    return {.fault = [reads, answer_to_stop](const fake::request &r) -> std::optional<fake::reply> {
        if (r.command == VESK_CMD_CONTROL_OUTPUT && r.arg0 == VESK_OUTPUT_STOP) return answer_to_stop;
        if (r.command != VESK_CMD_READ_INPUT) return std::nullopt;
        int at = (*reads)++;
        return at % 2 == 0 ? captured_blocks(captured(at / 2, 1, 1), 1, uint32_t(at / 2)) : nothing_ready();
    }};
}

TEST(WholeRun, EarlyStopEndsTheTransferOnceTheTimeHasPassed) {
    whole_run run = run_veskplay(endless_device(), quick_run({"-ts", "200"}));
    lines got = run.lines();
    unsigned after_ms = 0;
    ASSERT_GE(got.size(), 4u);
    ASSERT_EQ(std::sscanf(got[got.size() - 4].c_str(), "Stopping playback after %u ms", &after_ms), 1);
    EXPECT_TRUE(after_ms >= 200u && after_ms < 20000u) << after_ms;
    EXPECT_EQ(last_lines(got, 3), halted);
    EXPECT_EQ(run.result.status, 0);
    // Nothing is read once output is stopped.
    EXPECT_EQ(last_lines(describe(run.requests), 2), (lines{stop_output, playback_query}));

    const fake::reply refusal = fake::error(VESK_SERVER_ERROR, "Refused");
    whole_run refused = run_veskplay(endless_device(refusal), quick_run({"-ts", "100"}));
    EXPECT_EQ(refused.result.status, 2);
    EXPECT_EQ(last_lines(refused.lines(), 4),
              concat({"vesk_control_output (stop): Error from server: Refused"}, halted));
}

}  // namespace
