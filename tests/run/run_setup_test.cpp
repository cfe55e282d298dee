// Whole runs against the fake device: the complete transcript of a plain run,
// the Plenar-C3 set-up, and every refused step ending through the shutdown.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "whole_run.h"

namespace {

using lines = std::vector<std::string>;

// Block b of a capture, samples with the top bit and every byte distinct.
std::vector<int32_t> capture_pattern(int first_block, int blocks, int n)
{
    std::vector<int32_t> samples;
    for (int b = first_block; b < first_block + blocks; ++b)
        for (int i = 0; i < n; ++i)
            samples.push_back(static_cast<int32_t>(0x80000000u + uint32_t(b) * 0x10000u + uint32_t(i) * 0x101u));
    return samples;
}

lines concat(lines first, const lines &second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(WholeRun, PlainRunPrintsTheExactTranscriptAndSendsTheExactRequests)
{
    temp_folder work;
    fake_device device;
    device.reads = {captured_blocks(capture_pattern(0, 2, 64), 3, 0), nothing_ready(),
                    captured_blocks(capture_pattern(2, 1, 64), 3, 2)};
    whole_run run = run_veskplay(device, {"-s", "64", "-f", "3000", "-b", "3", "-c0", "cap.raw"},
                                 work.path);

    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.lines(), (lines{
        "Rev C3+ features not supported; assuming Rev B hardware.",
        "Adding 53 quiet blocks to meet synchronization requirements",
        "Capturing channel 0 to cap.raw.",
        "Channel 0 stimulus data is a 3000.00 Hz sine wave.",
        "Server at " + run.address + ".",
        "No loopback.",
        "Data sequence (all blocks have 64 samples):",
        "  63 preceding quiet blocks",
        "  1 junk block",
        "  3 data blocks (*)",
        "  1 following quiet block",
        "Response will be captured during portions of sequence marked with (*)",
        "In progress.",
        "got 2 blocks from vesk_read_input (tag 0x00000003, sequence 0..1)",
        "Wrote block 1 for channel 0",
        "Wrote block 2 for channel 0",
        "got 1 blocks from vesk_read_input (tag 0x00000003, sequence 2..2)",
        "Wrote block 3 for channel 0",
        "vesk_read_input: End of stream: End-of-stream indication from server",
        "Codec has halted",
        "Shutting down.",
        "Done.",
    }));
    EXPECT_EQ(describe(run.requests), (lines{
        "CONNECT 0x10000 0x40 0 0 len=0",
        "QUERY 0x4 0 0 0 len=0",
        "CONTROL 0x4 0xbb80 0 0 len=0",
        "QUERY 0x1 0 0 0 len=0",
        "CONTROL 0x8 0 0 0 len=0",
        "STAGE 0x800 0 0 0 len=0",
        "STAGE 0x1100 0 63 1 len=0",
        "STAGE 0x1100 0x1 1 2 len=256",
        "STAGE 0x100 0x1 3 3 len=256",
        "STAGE 0x1100 0 1 4 len=0",
        "OUTPUT 0x10000 0 0 0 len=0",
        "READ 0x1 0xa 0 0 len=0",
        "READ 0x1 0xa 0 0 len=0",
        "READ 0x1 0xa 0 0 len=0",
        "READ 0x1 0xa 0 0 len=0",
        "QUERY 0x2 0 0 0 len=0",
    }));
    EXPECT_EQ(read_file(work / "cap.raw"), host_order_bytes(capture_pattern(0, 3, 64)));
}

struct setup_case {
    const char *name;
    std::optional<hardware_setup> setup;
    std::vector<std::string> args;
    lines transcript_start;            // the lines of the set-up
    lines controls;                    // every CONTROL request, in order
    bool run_goes_on;                  // else the set-up lines are followed by the shutdown
    int status = 0;
};

// ppon,mbon,mpoff,mhi,auxe,aoff,bhi while running at 48 kHz, every field reported.
constexpr hardware_setup full_c3{0x06210205, 0x07FFFF0F};
const std::string full_fields = "ppon,mbon,mpoff,mhi,auxe,aoff,bhi";
const std::string rev_b = "Rev C3+ features not supported; assuming Rev B hardware.";

std::string setup_word(const std::string &word)
{
    return "CONTROL 0x100 " + word + " 0 0 len=0";
}
std::string rate(const std::string &hz)
{
    return "CONTROL 0x4 " + hz + " 0 0 len=0";
}
const std::string loopback_none = "CONTROL 0x8 0 0 0 len=0";

void PrintTo(const setup_case &c, std::ostream *out)
{
    *out << c.name;
}

class SetUp : public testing::TestWithParam<setup_case> {};

TEST_P(SetUp, MergesSendsAndEndsAsAsked)
{
    const setup_case &c = GetParam();
    fake_device device;
    device.setup = c.setup;
    whole_run run = run_veskplay(device, c.args);

    EXPECT_EQ(run.result.status, c.status);
    lines got = run.lines();
    if (c.run_goes_on) {
        ASSERT_GE(got.size(), c.transcript_start.size());
        EXPECT_EQ(lines(got.begin(), got.begin() + std::ptrdiff_t(c.transcript_start.size())),
                  c.transcript_start);
        EXPECT_EQ(last_lines(got, 2), shutdown_lines);
        EXPECT_EQ(with_command(run.requests, VESK_CMD_CONTROL_OUTPUT).size(), 1u);
    } else {
        EXPECT_EQ(got, concat(c.transcript_start, shutdown_lines));
        EXPECT_TRUE(with_command(run.requests, VESK_CMD_STAGE_OUTPUT).empty());
    }
    EXPECT_EQ(describe(with_command(run.requests, VESK_CMD_CONTROL)), c.controls);
}

INSTANTIATE_TEST_SUITE_P(WholeRun, SetUp, testing::Values(
    setup_case{"c3_always_sends_the_word", full_c3, {},
               {"Rev C3+ hardware detected.",
                "Current hardware settings: running at 48KHz; " + full_fields,
                "New hardware settings:     running at 48KHz; " + full_fields},
               {setup_word("0x6210205"), rate("0xbb80"), loopback_none}, true},
    setup_case{"c3_merge_and_rate", full_c3, {"-k", "16000", "-y", "mlo,boff"},
               {"Rev C3+ hardware detected.",
                "Current hardware settings: running at 48KHz; " + full_fields,
                "New hardware settings:     running at 16KHz; ppon,mbon,mpoff,mlo,auxe,aoff,boff"},
               {setup_word("0x6110002"), rate("0x3e80"), loopback_none}, true},
    setup_case{"c3_drops_unsupported_fields", hardware_setup{0x00000003, 0x0400000F},
               {"-y", "mbon,ppon"},
               {"Rev C3+ hardware detected.",
                "Current hardware settings: running at 24KHz; ppoff",
                "New hardware settings:     running at 48KHz; ppon"},
               {setup_word("0x4000005"), rate("0xbb80"), loopback_none}, true},
    setup_case{"query_sends_nothing", full_c3, {"-o", "query"},
               {"Rev C3+ hardware detected.",
                "Current hardware settings: running at 48KHz; " + full_fields},
               {}, false},
    setup_case{"standby_sends_and_ends", full_c3, {"-o", "standby"},
               {"Rev C3+ hardware detected.",
                "Current hardware settings: running at 48KHz; " + full_fields,
                "New hardware settings:     standby; " + full_fields},
               {setup_word("0x6210201")}, false},
    setup_case{"run_in_any_case_sends_and_ends", full_c3, {"-o", "Run", "-k", "24000"},
               {"Rev C3+ hardware detected.",
                "Current hardware settings: running at 48KHz; " + full_fields,
                "New hardware settings:     running at 24KHz; " + full_fields},
               {setup_word("0x6210203")}, false},
    setup_case{"off_with_a_bad_rate_fails_on_the_rate", full_c3, {"-o", "off", "-k", "44100"},
               {"Rev C3+ hardware detected.",
                "Current hardware settings: running at 48KHz; " + full_fields,
                "Sample rate must be 16000, 24000, 32000, or 48000."},
               {}, false, 2},
    setup_case{"unknown_master_keyword", full_c3, {"-o", "stop"},
               {"Rev C3+ hardware detected.",
                "Current hardware settings: running at 48KHz; " + full_fields,
                "Invalid -o option specified; choices are off, standby, run, query"},
               {}, false, 2},
    setup_case{"rev_b_refuses_y_before_o", std::nullopt, {"-y", "ppon", "-o", "off"},
               {rev_b, "-y option requires Rev C3 hardware."}, {}, false, 2},
    setup_case{"rev_b_refuses_o", std::nullopt, {"-o", "query"},
               {rev_b, "-o option requires Rev C3 hardware."}, {}, false, 2},
    setup_case{"rev_b_takes_any_rate", std::nullopt, {"-k", "44100", "-y", ","},
               {rev_b}, {rate("0xac44"), loopback_none}, true}),
    [](const testing::TestParamInfo<setup_case> &info) { return std::string(info.param.name); });

using fault_rule = std::function<std::optional<fake::reply>(const fake::request &)>;

// The reply for the first request that match picks; the others are answered as usual.
fault_rule on_first(std::function<bool(const fake::request &)> match, fake::reply reply)
{
    auto used = std::make_shared<bool>(false);
    return [=](const fake::request &r) -> std::optional<fake::reply> {
        if (*used || !match(r))
            return std::nullopt;
        *used = true;
        return reply;
    };
}

std::function<bool(const fake::request &)> command(uint32_t code, std::optional<uint32_t> arg0 = {})
{
    return [=](const fake::request &r) { return r.command == code && (!arg0 || r.arg0 == *arg0); };
}

std::function<bool(const fake::request &)> segment_tag(uint32_t tag)
{
    return [=](const fake::request &r) {
        return r.command == VESK_CMD_STAGE_OUTPUT && r.arg0 != VESK_STAGE_RESET && r.arg3 == tag;
    };
}

// The second of the blocks staged under one tag.
std::function<bool(const fake::request &)> second_block_of_tag(uint32_t tag)
{
    auto seen = std::make_shared<int>(0);
    return [=](const fake::request &r) {
        return r.command == VESK_CMD_STAGE_OUTPUT && r.arg3 == tag && ++*seen == 2;
    };
}

const fake::reply refused = fake::error(VESK_SERVER_ERROR, "Refused");

bool never(const fake::request &) { return false; }

struct failure_case {
    const char *name;
    std::vector<std::string> args;
    bool rev_c3;
    std::function<bool(const fake::request &)> match;
    fake::reply reply;
    lines report;         // the lines between the failure and the shutdown
    lines last_requests;  // nothing is sent after the halt wait
};

void PrintTo(const failure_case &c, std::ostream *out)
{
    *out << c.name;
}

class RefusedStep : public testing::TestWithParam<failure_case> {};

TEST_P(RefusedStep, EndsThroughTheShutdownWithStatusTwo)
{
    const failure_case &c = GetParam();
    temp_folder work;
    write_file(work / "three.raw", std::vector<uint8_t>(3 * 64 * 4, 1));
    fake_device device;
    if (c.rev_c3)
        device.setup = full_c3;
    device.fault = on_first(c.match, c.reply);
    std::vector<std::string> args = {"-s", "64"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    whole_run run = run_veskplay(device, args, work.path);

    EXPECT_EQ(run.result.status, 2);
    EXPECT_EQ(last_lines(run.lines(), c.report.size() + 2), concat(c.report, shutdown_lines));
    EXPECT_EQ(last_lines(describe(run.requests), c.last_requests.size()), c.last_requests);
    // No capture file is made by a run that fails before output.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(WholeRun, RefusedStep, testing::Values(
    failure_case{"handshake", {}, false, command(VESK_CMD_CONNECT),
                 fake::error(VESK_VERSION_MISMATCH, "Protocol 1.0 only"),
                 {"vesk_connect: Version mismatch: Protocol 1.0 only."},
                 {"CONNECT 0x10000 0x40 0 0 len=0"}},
    failure_case{"setup_query", {}, false, command(VESK_CMD_QUERY, VESK_QUERY_SETUP), fake::hang_up(),
                 {"vesk_query (setup): Network error: Connection to audio device was closed."},
                 {"QUERY 0x4 0 0 0 len=0"}},
    failure_case{"setup_word", {}, true, command(VESK_CMD_CONTROL, VESK_CONTROL_HARDWARE_SETUP),
                 fake::error(VESK_POWERED_DOWN, "Codec off"),
                 {"vesk_control (setup): Audio subsystem powered down: Codec off"},
                 {"CONTROL 0x100 0x6210205 0 0 len=0"}},
    failure_case{"rate", {}, false, command(VESK_CMD_CONTROL, VESK_CONTROL_SAMPLE_RATE), refused,
                 {"vesk_control (rate): Error from server: Refused"}, {"CONTROL 0x4 0xbb80 0 0 len=0"}},
    failure_case{"channels", {}, false, command(VESK_CMD_QUERY, VESK_QUERY_CHANNELS),
                 fake::error(VESK_SERVER_STATE, "Busy"),
                 {"vesk_query (channels): Audio server state: Busy"}, {"QUERY 0x1 0 0 0 len=0"}},
    failure_case{"loopback", {"-l", "server"}, false, command(VESK_CMD_CONTROL, VESK_CONTROL_LOOPBACK),
                 refused, {"vesk_control (loopback): Error from server: Refused."},
                 {"CONTROL 0x8 0x2 0 0 len=0"}},
    failure_case{"reset", {}, false, command(VESK_CMD_STAGE_OUTPUT, VESK_STAGE_RESET), refused,
                 {"vesk_stage_output (reset): Error from server: Refused"}, {"STAGE 0x800 0 0 0 len=0"}},
    failure_case{"start_quiet", {}, false, segment_tag(1), refused,
                 {"vesk_stage_output (start-quiet): Error from server: Refused"},
                 {"STAGE 0x1100 0 63 1 len=0"}},
    failure_case{"ramp_up", {"-w"}, false, segment_tag(2), refused,
                 {"vesk_stage_output (ramp-up): Error from server: Refused"},
                 {"STAGE 0x1100 0x1 1 2 len=256"}},
    failure_case{"junk", {}, false, segment_tag(2), refused,
                 {"vesk_stage_output (junk): Error from server: Refused"},
                 {"STAGE 0x1100 0x1 1 2 len=256"}},
    failure_case{"data", {}, false, segment_tag(3), refused,
                 {"vesk_stage_output (data): Error from server: Refused"},
                 {"STAGE 0x100 0x1 100 3 len=256"}},
    failure_case{"ramp_down", {"-w"}, false, segment_tag(5), refused,
                 {"vesk_stage_output (ramp-down): Error from server: Refused"},
                 {"STAGE 0x1100 0x1 1 5 len=256"}},
    failure_case{"end_quiet", {}, false, segment_tag(4), refused,
                 {"vesk_stage_output (end-quiet): Error from server: Refused"},
                 {"STAGE 0x1100 0 1 4 len=0"}},
    failure_case{"extended_block", {"-x", "-r0", "three.raw"}, false, second_block_of_tag(2), refused,
                 {"vesk_stage_output (data block 2/3): Error from server: Refused"},
                 {"STAGE 0x100 0x1 1 2 len=256"}},
    failure_case{"start", {}, false, command(VESK_CMD_CONTROL_OUTPUT), refused,
                 {"vesk_control_output (start): Error from server: Refused"},
                 {"OUTPUT 0x10000 0 0 0 len=0"}},
    failure_case{"playback_query", {}, false, command(VESK_CMD_QUERY, VESK_QUERY_PLAYBACK), refused,
                 {"vesk_read_input: End of stream: End-of-stream indication from server",
                  "vesk_query (playback): Error from server: Refused"},
                 {"QUERY 0x2 0 0 0 len=0"}},
    failure_case{"unserved_input_channels", {"-c5", "x5.raw", "-n7", "-u3", "blk"}, false, never, refused,
                 {"Input channel 3 is not served: the device reports 1 input channel.",
                  "Input channel 5 is not served: the device reports 1 input channel.",
                  "Input channel 7 is not served: the device reports 1 input channel."},
                 {"QUERY 0x1 0 0 0 len=0"}},
    failure_case{"unserved_output_channels", {"-r2", "three.raw", "-r1", "three.raw"}, false, never, refused,
                 {"Output channel 1 is not served: the device reports 1 output channel.",
                  "Output channel 2 is not served: the device reports 1 output channel."},
                 {"QUERY 0x1 0 0 0 len=0"}}),
    [](const testing::TestParamInfo<failure_case> &info) { return std::string(info.param.name); });

TEST(WholeRun, RefusedConnectionEndsWithoutDisconnecting)
{
    std::string address;
    {
        fake::server gone;
        address = gone.address();
    }
    program_result result = run_program(built_program("VESKPLAY"), {"-a", address});
    EXPECT_EQ(result.status, 2);
    lines got = result.lines();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].rfind("vesk_connect: Network error: Error ", 0), 0u) << got[0];
    EXPECT_NE(got[0].find("connecting to audio device: Connection refused."), std::string::npos)
        << got[0];
    EXPECT_EQ(last_lines(got, 2), shutdown_lines);
}

}  // namespace
