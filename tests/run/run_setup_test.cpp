// Whole runs against the fake device: the complete transcript of a plain run,
// the Plenar-C3 set-up, and every refused step ending through the shutdown.
#include <gtest/gtest.h>

#include "whole_run.h"

namespace {

using lines = std::vector<std::string>;

TEST(WholeRun, PlainRunPrintsTheExactTranscriptAndSendsTheExactRequests) {
    temp_folder work;
    fake_device device{.reads = {captured_blocks(captured(0, 2, 1, 64), 3, 0), nothing_ready(),
                                 captured_blocks(captured(2, 1, 1, 64), 3, 2)}};
    whole_run run = run_veskplay(device, plain_args, work.path);

    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(
        run.lines(),
        concat(plain_opening(run.address),
               {"got 2 blocks from vesk_read_input (tag 0x00000003, sequence 0..1)", "Wrote block 1 for channel 0",
                "Wrote block 2 for channel 0", "got 1 blocks from vesk_read_input (tag 0x00000003, sequence 2..2)",
                "Wrote block 3 for channel 0", "vesk_read_input: End of stream: End-of-stream indication from server",
                "Codec has halted", "Shutting down.", "Done."}));
    const std::string read = "READ 0x1 0xa 0 0 len=0";
    EXPECT_EQ(describe(run.requests), concat(plain_requests, {read, read, read, read, "QUERY 0x2 0 0 0 len=0"}));
    EXPECT_EQ(read_file(work / "cap.raw"), host_order_bytes(captured(0, 3, 1, 64)));
}

// ppon,mbon,mpoff,mhi,auxe,aoff,bhi while running at 48 kHz, every field reported.
constexpr hardware_setup full_c3{0x06210205, 0x07FFFF0F};
const std::string full_fields = "ppon,mbon,mpoff,mhi,auxe,aoff,bhi";
const std::string rev_b = "Rev C3+ features not supported; assuming Rev B hardware.";

// The set-up lines of a run on the full_c3 device, then more.
lines c3(const lines &more) {
    return concat({"Rev C3+ hardware detected.", "Current hardware settings: running at 48KHz; " + full_fields}, more);
}

std::string setup_word(const std::string &word) { return "CONTROL 0x100 " + word + " 0 0 len=0"; }
std::string rate(const std::string &hz) { return "CONTROL 0x4 " + hz + " 0 0 len=0"; }
std::string set_to(const std::string &settings) { return "New hardware settings:     " + settings; }
// The controls of a run that goes on: set-up word, rate and no loopback.
lines running(const std::string &word, const std::string &hz) {
    return {setup_word(word), rate(hz), "CONTROL 0x8 0 0 0 len=0"};
}

TEST(WholeRun, SetUpMergesSendsAndEndsAsAsked) {
    const struct {
        std::optional<hardware_setup> setup;
        std::string args;
        lines transcript_start;    // the lines of the set-up
        lines controls;            // every CONTROL request, in order
        bool run_goes_on = false;  // else the set-up lines are followed by the shutdown
    } cases[] = {
        {full_c3, "", c3({set_to("running at 48KHz; " + full_fields)}), running("0x6210205", "0xbb80"), true},
        {full_c3, "-k 16000 -y mlo,boff", c3({set_to("running at 16KHz; ppon,mbon,mpoff,mlo,auxe,aoff,boff")}),
         running("0x6110002", "0x3e80"), true},
        // Fields the device does not report are dropped.
        {hardware_setup{0x00000003, 0x0400000F},
         "-y mbon,ppon",
         {"Rev C3+ hardware detected.", "Current hardware settings: running at 24KHz; ppoff",
          set_to("running at 48KHz; ppon")},
         running("0x4000005", "0xbb80"),
         true},
        {full_c3, "-o standby", c3({set_to("standby; " + full_fields)}), {setup_word("0x6210201")}, false},
        {full_c3, "-o OFF", c3({set_to("off; " + full_fields)}), {setup_word("0x6210200")}, false},
        {full_c3, "-o Run -k 24000", c3({set_to("running at 24KHz; " + full_fields)}), {setup_word("0x6210203")}},
        {std::nullopt, "-k 44100 -y ,", {rev_b}, {rate("0xac44"), "CONTROL 0x8 0 0 0 len=0"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args);
        whole_run run = run_veskplay({.setup = c.setup}, words(c.args));

        EXPECT_EQ(run.result.status, 0);
        lines got = run.lines();
        if (c.run_goes_on) {
            EXPECT_EQ(first_lines(got, c.transcript_start.size()), c.transcript_start);
            EXPECT_EQ(last_lines(got, 2), shutdown_lines);
            EXPECT_EQ(with_command(run.requests, VESK_CMD_CONTROL_OUTPUT).size(), 1u);
        } else {
            EXPECT_EQ(got, concat(c.transcript_start, shutdown_lines));
            EXPECT_TRUE(run.staged().empty());
        }
        EXPECT_EQ(describe(with_command(run.requests, VESK_CMD_CONTROL)), c.controls);
    }
}

const fake::reply refused = fake::error(VESK_SERVER_ERROR, "Refused");
lines stage_refused(const std::string &step) {
    return {"vesk_stage_output (" + step + "): Error from server: Refused"};
}

// Each refused step ends the run through the shutdown with status 2, and
// nothing is sent after it.
TEST(WholeRun, RefusedStepEndsThroughTheShutdownWithStatusTwo) {
    const struct {
        std::string request;  // refused (the nth of its kind); the last one sent
        lines report;         // the lines between the failure and the shutdown
        fake::reply reply = refused;
        std::string args = "";
        int nth = 1;
    } cases[] = {
        {"CONNECT 0x10000 0x40 0 0 len=0",
         {"vesk_connect: Version mismatch: Protocol 1.0 only."},
         fake::error(VESK_VERSION_MISMATCH, "Protocol 1.0 only")},
        {"QUERY 0x4 0 0 0 len=0",
         {"vesk_query (setup): Network error: Connection to audio device was closed."},
         fake::hang_up()},
        {"CONTROL 0x100 0x6210205 0 0 len=0",
         {"vesk_control (setup): Audio subsystem powered down: Codec off"},
         fake::error(VESK_POWERED_DOWN, "Codec off")},
        {"CONTROL 0x4 0xbb80 0 0 len=0", {"vesk_control (rate): Error from server: Refused"}},
        {"QUERY 0x1 0 0 0 len=0",
         {"vesk_query (channels): Audio server state: Busy"},
         fake::error(VESK_SERVER_STATE, "Busy")},
        {"CONTROL 0x8 0x2 0 0 len=0", {"vesk_control (loopback): Error from server: Refused."}, refused, "-l server"},
        {"STAGE 0x800 0 0 0 len=0", stage_refused("reset")},
        {"STAGE 0x1100 0 63 1 len=0", stage_refused("start-quiet")},
        {"STAGE 0x1100 0x1 1 2 len=256", stage_refused("ramp-up"), refused, "-w"},
        {"STAGE 0x1100 0x1 1 2 len=256", stage_refused("junk")},
        {"STAGE 0x100 0x1 100 3 len=256", stage_refused("data")},
        {"STAGE 0x1100 0x1 1 5 len=256", stage_refused("ramp-down"), refused, "-w"},
        {"STAGE 0x1100 0 1 4 len=0", stage_refused("end-quiet")},
        {"STAGE 0x100 0x1 1 2 len=256", stage_refused("data block 2/3"), refused, "-x -r0 three.raw", 2},
        {"OUTPUT 0x10000 0 0 0 len=0", {"vesk_control_output (start): Error from server: Refused"}},
        {"QUERY 0x2 0 0 0 len=0",
         {"vesk_read_input: End of stream: End-of-stream indication from server",
          "vesk_query (playback): Error from server: Refused"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.report.back());
        temp_folder work;
        write_file(work / "three.raw", std::vector<uint8_t>(3 * 64 * 4, 1));
        auto seen = std::make_shared<int>(0);
        fake_device device{.setup = full_c3, .fault = [&c, seen](const fake::request &r) -> std::optional<fake::reply> {
                               if (describe(r) != c.request || ++*seen != c.nth) return std::nullopt;
                               return c.reply;
                           }};
        whole_run run = run_veskplay(device, concat({"-s", "64"}, words(c.args)), work.path);

        EXPECT_EQ(run.result.status, 2);
        EXPECT_EQ(last_lines(run.lines(), c.report.size() + 2), concat(c.report, shutdown_lines));
        ASSERT_FALSE(run.requests.empty());
        EXPECT_EQ(describe(run.requests.back()), c.request);
        // No capture file is made by a run that fails before output.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path), {}), 1);
    }
}

TEST(WholeRun, RefusedConnectionEndsWithoutDisconnecting) {
    std::string address = fake::server().address();  // gone once this line ends
    program_result result = run_program(built_program("veskplay"), {"-a", address});
    EXPECT_EQ(result.status, 2);
    lines got = result.lines();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].rfind("vesk_connect: Network error: Error ", 0), 0u) << got[0];
    EXPECT_NE(got[0].find("connecting to audio device: Connection refused."), std::string::npos) << got[0];
    EXPECT_EQ(last_lines(got, 2), shutdown_lines);
}

}  // namespace
