// The handshake, the settings, the queries and every refusal, on both
// personalities, as raw requests and replies.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <tuple>

#include "sim_harness.h"
#include "text_lines.h"

namespace {

struct exchange {
    uint32_t command, arg0 = 0, arg1 = 0;
    int32_t code = 0;  // 0: an ordinary reply carrying val0 and val1
    std::string text = "";
    uint32_t val0 = 0, val1 = 0, arg2 = 0;
    std::vector<uint8_t> payload = {};
};

void expect_exchange(int fd, const exchange &e) {
    SCOPED_TRACE(testing::Message() << "command " << e.command << ", " << e.arg0 << ", " << e.arg1);
    auto reply = raw_exchange(fd, e.command, e.arg0, e.arg1, e.arg2, 0, e.payload);
    ASSERT_TRUE(reply);
    EXPECT_EQ(std::tuple(reply->magic, reply->status, reply->val0, reply->val1, reply->text()),
              std::tuple(VESK_MAGIC, e.code ? VESK_STATUS_ERROR : e.command == VESK_CMD_LINK ? VESK_STATUS_DATA : 0u, e.code ? static_cast<uint32_t>(e.code) : e.val0,
                         e.val1, e.text));
}

constexpr uint32_t hello = VESK_CMD_CONNECT, control = VESK_CMD_CONTROL, query = VESK_CMD_QUERY,
                   stage = VESK_CMD_STAGE_OUTPUT, output = VESK_CMD_CONTROL_OUTPUT, read_in = VESK_CMD_READ_INPUT,
                   version = VESK_PROTOCOL_VERSION, rate = VESK_CONTROL_SAMPLE_RATE,
                   setup = VESK_CONTROL_HARDWARE_SETUP, data = VESK_STAGE_DATA;

// Refusals leave the connection open; the largest block size is taken by
// the other tests.
TEST(Session, C3AnswersEachRequestAndKeepsTheStreamInStep) {
    // Values at their bounds, in every form, are taken; later ones win.
    vesksim_child sim({"--speed", "1e6", "--speed=0.001", "--speed", "0", "--outputs", "3", "--inputs=5", "--supported",
                       "0x0700000F", "--setup", "0x04000105", "--dut",
                       "gain=60,gain=-200,delay=1000000,noise=0,noise=-200,thd=-20,thd=-200,crosstalk=0,"
                       "crosstalk=-200,skew=1000,highpass=1e-3,highpass=off,lowpass=8000"});
    const int fd = raw_connect(sim.port);
    const std::vector<uint8_t> one_block(64, 0x11), two_blocks(128, 0x22);
    const exchange cases[] = {
        {query, VESK_QUERY_CHANNELS, 0, -1, "Not connected: send CONNECT first"},
        {hello, version, 15, -4, "Block size 15 is outside 16 to 65536 samples"},
        {hello, version, 65537, -4, "Block size 65537 is outside 16 to 65536 samples"},
        {hello, 0x00020000, 1024, -5, "Protocol version 0x00020000 is not supported; this server speaks 0x00010000"},
        {hello, version, 16},
        {control, rate, 16000},
        {output, VESK_OUTPUT_START, 0, -7,  // loopback 0 with the corner not below half the rate
         "The device under test's lowpass corner of 8000 Hz is not below half the sample rate of 16000 Hz"},
        {control, rate, 44100, -4, "Sample rate 44100 Hz is not supported; choose 16000, 24000, 32000 or 48000"},
        {control, VESK_CONTROL_LOOPBACK, 2},
        {control, VESK_CONTROL_LOOPBACK, 3, -4, "Loopback 3 is not valid; choose 0 (none), 1 (i2s) or 2 (server)"},
        {control, 32, 1, -4, "Unsupported control code 0x00000020"},
        {query, VESK_QUERY_CHANNELS, 0, 0, "", 3, 5},
        // The start-up word keeps only the fields the hardware has, and so
        // does a new one.
        {query, VESK_QUERY_SETUP, 0, 0, "", 0x04000005, 0x0700000F},
        {control, setup, 0x03FF0F02},
        {query, VESK_QUERY_SETUP, 0, 0, "", 0x03000002, 0x0700000F},
        {query, VESK_QUERY_PLAYBACK},
        {query, 3, 0, -4, "Unsupported query code 0x00000003"},
        {9, 0, 0, -4, "Unknown command 9"},
        {hello, version, 64, -2, "Already connected"},
        {stage, data, 0x3, -4, "Payload of 64 bytes does not match 2 channels of 16 samples (128 bytes)", 0, 0, 1,
         one_block},
        {stage, data, 0, -4, "Payload of 64 bytes does not match 0 channels of 16 samples (0 bytes)", 0, 0, 1,
         one_block},
        {stage, data, 0x9, -4, "Channel mask 0x00000009 names outputs this device lacks (it has 3)", 0, 0, 1,
         two_blocks},
        {stage, VESK_STAGE_RESET, 0x1, -4, "A reset carries no channel data", 0, 0, 0, one_block},
        {read_in, 0x20, 1, -4, "Channel mask 0x00000020 names inputs this device lacks (it has 5)"},
        {read_in, 0, 1, -4, "Channel mask selects no input"},
        {read_in, 1, 0, -4, "Block count must not be 0"},
        {read_in, 0x3, 10},            // nothing started: no blocks, and no end either
        {output, VESK_OUTPUT_STOP},    // stopping is accepted in every state
        {control, setup, 0x00000001},  // the codec stopped
        {output, VESK_OUTPUT_START, 0, -10, "Codec master state is not running (set-up word 0x00000001)"},
        {output, 0x20000, 0, -4, "Unsupported output control 0x00020000"},
        {control, setup, 0x00000002},
        {output, VESK_OUTPUT_START},
        {read_in, 0x3, 10, 0, "", 1},  // nothing staged: the stream ends at once
        {output, VESK_OUTPUT_STOP},
        {read_in, 0x3, 10, 0, "", 1},
    };
    for (const auto &c : cases) expect_exchange(fd, c);
    // Nothing refused was staged: one good segment plays alone.
    ASSERT_EQ(raw_exchange(fd, stage, data, 0x2, 2, 9, one_block)->status, 0u);
    expect_exchange(fd, {output, VESK_OUTPUT_START});
    const raw_reply played = raw_exchange(fd, read_in, 0x3, 10).value();
    // The tag, the sequence number and the blocks of two inputs.
    EXPECT_EQ(std::tuple(played.status, played.val1, played.val2, played.val3, played.payload.size()),
              std::tuple(VESK_STATUS_DATA, 9u, 0u, 2u, size_t{2 * 128}));
    expect_exchange(fd, {read_in, 0x3, 10, 0, "", 1});  // the end of the stream
    close(fd);
}

TEST(Session, PlenarBTakesAnyRateAndHasNoSetupAndPlaysInRealTime) {
    vesksim_child sim({"--hardware", "b", "--verbose", "--inputs", "3"});
    const int fd = raw_session(sim, 16);
    const exchange cases[] = {
        {control, rate, 0, -4, "Sample rate 0 Hz is not valid; it must be 1 Hz or more"},
        {control, rate, static_cast<uint32_t>(-5), -4, "Sample rate -5 Hz is not valid; it must be 1 Hz or more"},
        {control, setup, 5, -7, "This hardware has no audio set-up"},
        {query, VESK_QUERY_SETUP, 0, -7, "This hardware has no audio set-up"},
        {query, VESK_QUERY_CHANNELS, 0, 0, "", 2, 3},
        {VESK_CMD_LINK, 0, 0, 0, "echo", 0, 0, 0, {'e', 'c', 'h', 'o'}},
        {control, rate, 100},  // a block of 16 samples takes 160 ms
        {stage, data, 0, 0, "", 0, 0, 1000},
        {output, VESK_OUTPUT_START},
        {read_in, 1, 10},  // nothing has played yet
    };
    for (const auto &c : cases) expect_exchange(fd, c);
    close(fd);
    ASSERT_EQ(sim.stop(SIGTERM), 0);
    std::string log = text_of(sim.folder / "log");  // every request and reply, exactly
    const std::string port = ":" + std::to_string(sim.port) + "\n";
    log.replace(log.find(port), port.size(), ":PORT\n");
    EXPECT_EQ(log, text_of(VESK_SERVER_TESTS "/verbose_session.log"));
}

TEST(Session, SecondClientIsRefusedWhileTheFirstKeepsItsSession) {
    vesksim_child sim;
    auto first = connect_client(sim, 1024);
    const int fd = raw_connect(sim.port);
    // A request of a connection without the session never reaches it.
    expect_exchange(fd, {output, VESK_OUTPUT_START, 0, -1, "Not connected: send CONNECT first"});
    expect_exchange(fd, {hello, version, 64, -2, "Server is busy with another client"});
    EXPECT_TRUE(closed_by_peer(fd));
    close(fd);

    // The first session goes on: LINK echoes the command bytes.
    const std::vector<uint8_t> command = {0x51, 0x00, 0xFF, 0x10, 0x7E};
    std::vector<uint8_t> response(command.size());
    EXPECT_EQ(vesk_link(first.get(), command.data(), 5, response.data()), 0) << vesk_errtext(first.get());
    EXPECT_EQ(response, command);
    ASSERT_EQ(vesk_stage_output(first.get(), VESK_STAGE_DATA, 0, nullptr, 100000, 1), 0);
    ASSERT_EQ(vesk_control_output(first.get(), VESK_OUTPUT_START), 0);
    first.reset();

    const int third = raw_session(sim, 256);
    expect_exchange(third, {query, VESK_QUERY_PLAYBACK});  // idle: nothing of the first session's playback
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
