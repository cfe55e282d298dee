// The handshake, the settings, the queries and every refusal, on both
// personalities, as raw requests; the replies are read in vesksim's
// --verbose log, compared with a golden one line by line.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <tuple>

#include "sim_harness.h"
#include "text_lines.h"

namespace {

struct request {
    uint32_t command, arg0 = 0, arg1 = 0, arg2 = 0, arg3 = 0;
    std::vector<uint8_t> payload = {};
};

// Sends each request and waits for its reply, then ends vesksim and
// compares its --verbose log, every request and reply, with the golden one.
void expect_logged_session(vesksim_child &sim, int fd, const std::vector<request> &requests, const char *golden) {
    for (const auto &r : requests) ASSERT_TRUE(raw_exchange(fd, r.command, r.arg0, r.arg1, r.arg2, r.arg3, r.payload));
    close(fd);
    ASSERT_EQ(sim.stop(SIGTERM), 0);
    std::string log = text_of(sim.folder / "log");
    const std::string port = ":" + std::to_string(sim.port) + "\n";
    log.replace(log.find(port), port.size(), ":PORT\n");
    EXPECT_EQ(log, text_of(std::string(VESK_SERVER_TESTS "/") + golden));
}

constexpr uint32_t hello = VESK_CMD_CONNECT, control = VESK_CMD_CONTROL, query = VESK_CMD_QUERY,
                   stage = VESK_CMD_STAGE_OUTPUT, output = VESK_CMD_CONTROL_OUTPUT, read_in = VESK_CMD_READ_INPUT,
                   version = VESK_PROTOCOL_VERSION, rate = VESK_CONTROL_SAMPLE_RATE,
                   setup = VESK_CONTROL_HARDWARE_SETUP, data = VESK_STAGE_DATA;

// Refusals leave the connection open; the largest block size is taken by
// the other tests.
TEST(Session, C3AnswersEachRequestAndKeepsTheStreamInStep) {
    // Values at their bounds, in every form, are taken; later ones win.
    vesksim_child sim({"--verbose", "--speed", "1e6", "--speed=0.001", "--speed", "0", "--outputs", "3", "--inputs=5",
                       "--supported", "0x0700000F", "--setup", "0x04000105", "--dut",
                       "gain=60,gain=-200,delay=1000000,noise=0,noise=-200,thd=-20,thd=-200,crosstalk=0,"
                       "crosstalk=-200,skew=1000,highpass=1e-3,highpass=off,lowpass=8000"});
    const std::vector<uint8_t> one_block(64, 0x11), two_blocks(128, 0x22);
    const std::vector<request> requests = {
        {query, VESK_QUERY_CHANNELS},  // before CONNECT
        {hello, version, 15},
        {hello, version, 65537},
        {hello, 0x00020000, 1024},
        {hello, version, 16},
        {control, rate, 16000},
        {output, VESK_OUTPUT_START},  // loopback 0 with the corner not below half the rate
        {control, rate, 44100},
        {control, VESK_CONTROL_LOOPBACK, 2},
        {control, VESK_CONTROL_LOOPBACK, 3},
        {control, 32, 1},
        {query, VESK_QUERY_CHANNELS},
        // The start-up word keeps only the fields the hardware has, and so
        // does a new one.
        {query, VESK_QUERY_SETUP},
        {control, setup, 0x03FF0F02},
        {query, VESK_QUERY_SETUP},
        {query, VESK_QUERY_PLAYBACK},
        {query, 3},
        {9},
        {hello, version, 64},
        {stage, data, 0x3, 1, 0, one_block},
        {stage, data, 0, 1, 0, one_block},
        {stage, data, 0x9, 1, 0, two_blocks},
        {stage, VESK_STAGE_RESET, 0x1, 0, 0, one_block},
        {read_in, 0x20, 1},
        {read_in, 0, 1},
        {read_in, 1, 0},
        {read_in, 0x3, 10},            // nothing started: no blocks, and no end either
        {output, VESK_OUTPUT_STOP},    // stopping is accepted in every state
        {control, setup, 0x00000001},  // the codec stopped
        {output, VESK_OUTPUT_START},
        {output, 0x20000},
        {control, setup, 0x00000002},
        {output, VESK_OUTPUT_START},
        {read_in, 0x3, 10},  // nothing staged: the stream ends at once
        {output, VESK_OUTPUT_STOP},
        {read_in, 0x3, 10},
        // Nothing refused was staged: one good segment of two blocks,
        // tagged 9, plays alone, and then the stream ends.
        {stage, data, 0x2, 2, 9, one_block},
        {output, VESK_OUTPUT_START},
        {output, VESK_OUTPUT_START},  // nothing changes while it plays
        {control, rate, 16000},
        {stage, VESK_STAGE_RESET},
        {read_in, 0x3, 10},
        {read_in, 0x3, 10},
    };
    expect_logged_session(sim, raw_connect(sim.port), requests, "c3_session.log");
}

TEST(Session, PlenarBTakesAnyRateAndHasNoSetupAndPlaysInRealTime) {
    vesksim_child sim({"--hardware", "b", "--verbose", "--inputs", "31", "--outputs", "31"});
    const std::vector<request> requests = {
        {control, rate, 0},
        {control, rate, static_cast<uint32_t>(-5)},
        {control, setup, 5},
        {query, VESK_QUERY_SETUP},
        {query, VESK_QUERY_CHANNELS},
        {VESK_CMD_LINK, 0, 0, 0, 0, {'e', 'c', 'h', 'o'}},
        {stage, data, 0x80000000, 1, 0, std::vector<uint8_t>(64)},
        {read_in, 0x80000000, 1},
        {control, rate, 100},  // a block of 16 samples takes 160 ms
        {stage, data, 0, 1000},
        {output, VESK_OUTPUT_START},
        {read_in, 1, 10},  // nothing has played yet
    };
    expect_logged_session(sim, raw_session(sim, 16), requests, "b_session.log");
}

TEST(Session, SecondClientIsRefusedWhileTheFirstKeepsItsSession) {
    vesksim_child sim;
    auto first = connect_client(sim, 1024);
    const int fd = raw_connect(sim.port);
    // A request of a connection without the session never reaches it.
    EXPECT_EQ(static_cast<int32_t>(raw_exchange(fd, output, VESK_OUTPUT_START).value().val0), VESK_NOT_INITIALIZED);
    EXPECT_EQ(static_cast<int32_t>(raw_exchange(fd, hello, version, 64).value().val0), VESK_SERVER_STATE);
    EXPECT_TRUE(closed_by_peer(fd));
    close(fd);

    // The first session goes on.
    ASSERT_EQ(vesk_stage_output(first.get(), VESK_STAGE_DATA, 0, nullptr, 100000, 1), 0);
    ASSERT_EQ(vesk_control_output(first.get(), VESK_OUTPUT_START), 0);
    first.reset();

    const int third = raw_session(sim, 256);
    // Idle: nothing of the first session's playback.
    const raw_reply idle = raw_exchange(third, query, VESK_QUERY_PLAYBACK).value();
    EXPECT_EQ(std::tuple(idle.status, idle.val0, idle.val1), std::tuple(0u, 0u, 0u));
    close(third);
}

// The bound holds to the byte: each segment costs 64 bytes and its
// samples, so full segments, one partial and empty ones reach it exactly.
TEST(Session, StagingIsBoundedPerSessionToTheByte) {
    constexpr uint64_t budget = 256ull << 20, segment_cost = 64;
    vesksim_child sim({"--outputs", "32"});
    for (const uint32_t block_size : {65536u, 48000u}) {
        SCOPED_TRACE(block_size);
        auto client = connect_client(sim, static_cast<int32_t>(block_size));
        const std::vector<int32_t> block(block_size, 1);
        const std::vector<const int32_t *> channels(32, block.data());
        auto stage = [&](uint32_t count) {
            return vesk_stage_output(client.get(), VESK_STAGE_DATA, count, count ? channels.data() : nullptr, 1, 1);
        };
        const uint64_t full = segment_cost + 4ull * 32 * block_size;
        const uint64_t fulls = budget / full, rest = budget - fulls * full;
        const auto last_channels = static_cast<uint32_t>((rest - segment_cost) / (4ull * block_size));
        const uint64_t empties = (rest - segment_cost - 4ull * last_channels * block_size) / segment_cost;
        ASSERT_TRUE(last_channels >= 1 && last_channels <= 32);
        ASSERT_EQ(rest, (empties + 1) * segment_cost + 4ull * last_channels * block_size);
        for (uint64_t i = 0; i < empties; ++i) ASSERT_EQ(stage(0), 0) << i;
        for (uint64_t i = 0; i < fulls; ++i) ASSERT_EQ(stage(32), 0) << i;
        EXPECT_EQ(stage(last_channels), 0) << "the last byte of the budget";
        EXPECT_EQ(stage(0), VESK_SERVER_ERROR);
        EXPECT_STREQ(vesk_errtext(client.get()), "Staged sequence would exceed the server's limit of 256 MiB");
        EXPECT_EQ(vesk_stage_output(client.get(), VESK_STAGE_RESET, 0, nullptr, 0, 0), 0);
        EXPECT_EQ(stage(32), 0);
    }
}

}  // namespace
