// The handshake, the settings, the queries and every refusal, on both
// personalities, as raw requests and replies.
#include <gtest/gtest.h>
#include <unistd.h>

#include "sim_harness.h"

namespace {

struct exchange {
    const char *what;
    uint32_t command, arg0 = 0, arg1 = 0, arg2 = 0;
    std::vector<uint8_t> payload = {};
    int32_t code = 0;  // 0: an ordinary reply carrying val0 and val1
    std::string text = "";
    uint32_t val0 = 0, val1 = 0;
};

void expect_exchange(int fd, const exchange &e) {
    SCOPED_TRACE(e.what);
    auto reply = raw_exchange(fd, e.command, e.arg0, e.arg1, e.arg2, 0, e.payload);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->magic, VESK_MAGIC);
    EXPECT_EQ(reply->status, e.code ? VESK_STATUS_ERROR : 0u) << reply->text();
    EXPECT_EQ(reply->val0, e.code ? static_cast<uint32_t>(e.code) : e.val0);
    EXPECT_EQ(reply->val1, e.val1);
    EXPECT_EQ(reply->text(), e.text);
}

constexpr uint32_t control = VESK_CMD_CONTROL, query = VESK_CMD_QUERY, stage = VESK_CMD_STAGE_OUTPUT;

TEST(Handshake, AcceptsOrRefusesTheConnectRequest) {
    vesksim_child sim;
    const uint32_t version = VESK_PROTOCOL_VERSION;
    const exchange cases[] = {
        {"smallest block", VESK_CMD_CONNECT, version, 16},
        {"largest block", VESK_CMD_CONNECT, version, 65536},
        {"block too small", VESK_CMD_CONNECT, version, 15, 0, {}, -4,
         "Block size 15 is outside 16 to 65536 samples"},
        {"block too large", VESK_CMD_CONNECT, version, 65537, 0, {}, -4,
         "Block size 65537 is outside 16 to 65536 samples"},
        {"other version", VESK_CMD_CONNECT, 0x00020000, 1024, 0, {}, -5,
         "Protocol version 0x00020000 is not supported; this server speaks 0x00010000"},
        {"query first", query, VESK_QUERY_CHANNELS, 0, 0, {}, -1, "Not connected: send CONNECT first"},
        {"link first", VESK_CMD_LINK, 0, 0, 0, {}, -1, "Not connected: send CONNECT first"},
    };
    for (const auto &c : cases) {  // each on a connection of its own
        const int fd = raw_connect(sim.port);
        expect_exchange(fd, c);
        close(fd);
    }
}

TEST(Settings, C3AnswersEachRequestAndKeepsTheStreamInStep) {
    vesksim_child sim({"--speed", "0", "--outputs", "3", "--inputs", "5", "--supported",
                       "0x0700000F", "--setup", "0x04000105"});
    const int fd = raw_session(sim, 16);
    const std::vector<uint8_t> one_block(64, 0x11), two_blocks(128, 0x22);
    const exchange cases[] = {
        {"rate 16000", control, VESK_CONTROL_SAMPLE_RATE, 16000},
        {"rate 48000", control, VESK_CONTROL_SAMPLE_RATE, 48000},
        {"rate 44100", control, VESK_CONTROL_SAMPLE_RATE, 44100, 0, {}, -4,
         "Sample rate 44100 Hz is not supported; choose 16000, 24000, 32000 or 48000"},
        {"loopback 2", control, VESK_CONTROL_LOOPBACK, 2},
        {"loopback 3", control, VESK_CONTROL_LOOPBACK, 3, 0, {}, -4,
         "Loopback 3 is not valid; choose 0 (none), 1 (i2s) or 2 (server)"},
        {"control 32", control, 32, 1, 0, {}, -4, "Unsupported control code 0x00000020"},
        {"channels", query, VESK_QUERY_CHANNELS, 0, 0, {}, 0, "", 3, 5},
        // The start-up word keeps only the fields the hardware has, and so
        // does a new one.
        {"set-up", query, VESK_QUERY_SETUP, 0, 0, {}, 0, "", 0x04000005, 0x0700000F},
        {"new set-up", control, VESK_CONTROL_HARDWARE_SETUP, 0x03FF0F02},
        {"set-up again", query, VESK_QUERY_SETUP, 0, 0, {}, 0, "", 0x03000002, 0x0700000F},
        {"playback idle", query, VESK_QUERY_PLAYBACK},
        {"query 3", query, 3, 0, 0, {}, -4, "Unsupported query code 0x00000003"},
        {"command 9", 9, 0, 0, 0, {}, -4, "Unknown command 9"},
        {"connect twice", VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64, 0, {}, -2, "Already connected"},
        {"short payload", stage, VESK_STAGE_DATA, 0x3, 1, one_block, -4,
         "Payload of 64 bytes does not match 2 channels of 16 samples (128 bytes)"},
        {"payload without mask", stage, VESK_STAGE_DATA, 0, 1, one_block, -4,
         "Payload of 64 bytes does not match 0 channels of 16 samples (0 bytes)"},
        {"output 3 of 3", stage, VESK_STAGE_DATA, 0x9, 1, two_blocks, -4,
         "Channel mask 0x00000009 names outputs this device lacks (it has 3)"},
        {"reset with data", stage, VESK_STAGE_RESET, 0x1, 0, one_block, -4,
         "A reset carries no channel data"},
        {"input 5 of 5", VESK_CMD_READ_INPUT, 0x20, 1, 0, {}, -4,
         "Channel mask 0x00000020 names inputs this device lacks (it has 5)"},
        {"no input", VESK_CMD_READ_INPUT, 0, 1, 0, {}, -4, "Channel mask selects no input"},
        {"no blocks", VESK_CMD_READ_INPUT, 1, 0, 0, {}, -4, "Block count must not be 0"},
        {"codec stopped", control, VESK_CONTROL_HARDWARE_SETUP, 0x00000001},
        {"start stopped", VESK_CMD_CONTROL_OUTPUT, VESK_OUTPUT_START, 0, 0, {}, -10,
         "Codec master state is not running (set-up word 0x00000001)"},
        {"output control", VESK_CMD_CONTROL_OUTPUT, 0x20000, 0, 0, {}, -4,
         "Unsupported output control 0x00020000"},
        {"codec running", control, VESK_CONTROL_HARDWARE_SETUP, 0x00000002},
        {"start empty", VESK_CMD_CONTROL_OUTPUT, VESK_OUTPUT_START},
        {"empty ends at once", VESK_CMD_READ_INPUT, 0x3, 10, 0, {}, 0, "", 1},
    };
    for (const auto &c : cases) expect_exchange(fd, c);
    // Nothing refused was staged: one good segment plays alone.
    ASSERT_EQ(raw_exchange(fd, stage, VESK_STAGE_DATA, 0x2, 2, 9, one_block)->status, 0u);
    expect_exchange(fd, {"start", VESK_CMD_CONTROL_OUTPUT, VESK_OUTPUT_START});
    auto data = raw_exchange(fd, VESK_CMD_READ_INPUT, 0x3, 10);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->status, VESK_STATUS_DATA);
    EXPECT_EQ(data->val1, 9u);  // tag
    EXPECT_EQ(data->val2, 0u);  // sequence number
    EXPECT_EQ(data->val3, 2u);  // blocks
    EXPECT_EQ(data->payload.size(), 2u * 128);
    expect_exchange(fd, {"end of stream", VESK_CMD_READ_INPUT, 0x3, 10, 0, {}, 0, "", 1});
    close(fd);
}

TEST(Settings, PlenarBTakesAnyRateAndHasNoSetup) {
    vesksim_child sim({"--hardware", "b"});
    const int fd = raw_session(sim, 16);
    const exchange cases[] = {
        {"rate 1", control, VESK_CONTROL_SAMPLE_RATE, 1},
        {"rate 44100", control, VESK_CONTROL_SAMPLE_RATE, 44100},
        {"rate 0", control, VESK_CONTROL_SAMPLE_RATE, 0, 0, {}, -4,
         "Sample rate 0 Hz is not valid; it must be 1 Hz or more"},
        {"rate -5", control, VESK_CONTROL_SAMPLE_RATE, static_cast<uint32_t>(-5), 0, {}, -4,
         "Sample rate -5 Hz is not valid; it must be 1 Hz or more"},
        {"set-up word", control, VESK_CONTROL_HARDWARE_SETUP, 5, 0, {}, -7,
         "This hardware has no audio set-up"},
        {"set-up query", query, VESK_QUERY_SETUP, 0, 0, {}, -7, "This hardware has no audio set-up"},
    };
    for (const auto &c : cases) expect_exchange(fd, c);
    close(fd);
}

TEST(Handshake, SecondClientIsRefusedWhileTheFirstKeepsItsSession) {
    vesksim_child sim;
    auto first = connect_client(sim, 1024);
    const int fd = raw_connect(sim.port);
    expect_exchange(fd, {"busy", VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64, 0, {}, -2,
                         "Server is busy with another client"});
    EXPECT_TRUE(closed_by_peer(fd));
    close(fd);

    // The first session goes on: LINK echoes the command bytes.
    const std::vector<uint8_t> command = {0x51, 0x00, 0xFF, 0x10, 0x7E};
    std::vector<uint8_t> response(command.size());
    EXPECT_EQ(vesk_link(first.get(), command.data(), 5, response.data()), 0) << vesk_errtext(first.get());
    EXPECT_EQ(response, command);
    EXPECT_EQ(vesk_link(first.get(), command.data(), 0, response.data()), 0);
    ASSERT_EQ(vesk_stage_output(first.get(), VESK_STAGE_DATA, 0, nullptr, 100000, 1), 0);
    ASSERT_EQ(vesk_control_output(first.get(), VESK_OUTPUT_START), 0);
    first.reset();

    int32_t refused = -100;
    auto third = connect_client(sim, 256, &refused);
    EXPECT_EQ(refused, 0) << vesk_errtext(third.get());
    uint32_t state = 99;
    EXPECT_EQ(vesk_query(third.get(), VESK_QUERY_PLAYBACK, &state, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(state, 0u);  // nothing of the first session's playback
}

TEST(Settings, StagingIsBoundedPerSession) {
    vesksim_child sim({"--outputs", "32"});
    auto client = connect_client(sim, 65536);
    const std::vector<int32_t> block(65536, 1);
    const std::vector<const int32_t *> channels(32, block.data());
    auto stage_block = [&] { return vesk_stage_output(client.get(), VESK_STAGE_DATA, 32, channels.data(), 1, 1); };
    int32_t result = 0;
    int staged = 0;
    while (staged < 40 && (result = stage_block()) == 0) ++staged;
    EXPECT_EQ(result, VESK_SERVER_ERROR);
    EXPECT_EQ(staged, 31);  // 8 MiB each, 256 MiB in all
    EXPECT_STREQ(vesk_errtext(client.get()), "Staged sequence would exceed the server's limit of 256 MiB");
    EXPECT_EQ(vesk_stage_output(client.get(), VESK_STAGE_RESET, 0, nullptr, 0, 0), 0);
    EXPECT_EQ(stage_block(), 0);
}

}  // namespace
