// The handshake, the settings and the queries, on both personalities.
#include <gtest/gtest.h>
#include <unistd.h>

#include "sim_harness.h"

namespace {

struct raw_case {
    const char *what;
    uint32_t command, arg0, arg1;
    int32_t code;  // 0: an ordinary reply
    const char *text;
};

// Every case starts on a fresh connection of its own.
void expect_raw_cases(const vesksim_child &sim, const std::vector<raw_case> &cases,
                      bool connect_first) {
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const int fd = raw_connect(sim.port);
        if (connect_first) {
            auto hello = raw_exchange(fd, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64);
            ASSERT_TRUE(hello);
            ASSERT_EQ(hello->status, 0u);
        }
        auto reply = raw_exchange(fd, c.command, c.arg0, c.arg1);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->magic, VESK_MAGIC);
        if (c.code == 0) {
            EXPECT_EQ(reply->status, 0u) << reply->text();
        } else {
            EXPECT_EQ(reply->status, VESK_STATUS_ERROR);
            EXPECT_EQ(static_cast<int32_t>(reply->val0), c.code);
            EXPECT_EQ(reply->text(), c.text);
        }
        close(fd);
    }
}

TEST(Handshake, AcceptsOrRefusesTheConnectRequest) {
    vesksim_child sim;
    expect_raw_cases(sim,
                     {{"smallest block", VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 16, 0, ""},
                      {"largest block", VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 65536, 0, ""},
                      {"block too small", VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 15, -4,
                       "Block size 15 is outside 16 to 65536 samples"},
                      {"block too large", VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 65537, -4,
                       "Block size 65537 is outside 16 to 65536 samples"},
                      {"other version", VESK_CMD_CONNECT, 0x00020000, 1024, -5,
                       "Protocol version 0x00020000 is not supported; this server speaks "
                       "0x00010000"},
                      {"query first", VESK_CMD_QUERY, VESK_QUERY_CHANNELS, 0, -1,
                       "Not connected: send CONNECT first"},
                      {"link first", VESK_CMD_LINK, 0, 0, -1, "Not connected: send CONNECT first"}},
                     false);
}

TEST(Handshake, SecondClientIsRefusedWhileTheFirstKeepsItsSession) {
    vesksim_child sim;
    auto first = connect_client(sim, 1024);
    ASSERT_EQ(vesk_control(first.get(), VESK_CONTROL_LOOPBACK, VESK_LOOPBACK_SERVER), 0);

    int32_t refused = 0;
    auto second = connect_client(sim, 256, &refused);
    EXPECT_EQ(refused, VESK_SERVER_STATE);
    EXPECT_STREQ(vesk_errtext(second.get()), "Server is busy with another client");

    const int fd = raw_connect(sim.port);
    auto again = raw_exchange(fd, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64);
    ASSERT_TRUE(again);
    EXPECT_EQ(static_cast<int32_t>(again->val0), VESK_SERVER_STATE);
    EXPECT_TRUE(closed_by_peer(fd));
    close(fd);

    uint32_t outputs = 0;
    EXPECT_EQ(vesk_query(first.get(), VESK_QUERY_CHANNELS, &outputs, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(outputs, 2u);
    first.reset();

    auto third = connect_client(sim, 256, &refused);
    EXPECT_EQ(refused, 0) << vesk_errtext(third.get());
    uint32_t state = 99;
    EXPECT_EQ(vesk_query(third.get(), VESK_QUERY_PLAYBACK, &state, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(state, 0u);  // nothing of the first session's playback
}

struct setting_case {
    const char *what;
    bool query;  // else a control
    uint32_t code;
    int32_t value;
    int32_t result;
    const char *text;  // the refusal's text
};

void expect_settings(vesk_instance *client, const std::vector<setting_case> &cases) {
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const int32_t result = c.query ? vesk_query(client, c.code, nullptr, nullptr, nullptr, nullptr)
                                       : vesk_control(client, c.code, c.value);
        EXPECT_EQ(result, c.result);
        if (result != 0) {
            EXPECT_STREQ(vesk_errtext(client), c.text);
        }
    }
}

TEST(Settings, ControlsAndQueriesOnC3) {
    vesksim_child sim({"--outputs", "3", "--inputs", "5", "--supported", "0x0700000F", "--setup",
                     "0x04000105"});
    auto client = connect_client(sim, 1024);
    expect_settings(client.get(),
                    {{"rate 16000", false, VESK_CONTROL_SAMPLE_RATE, 16000, 0, ""},
                     {"rate 48000", false, VESK_CONTROL_SAMPLE_RATE, 48000, 0, ""},
                     {"rate 44100", false, VESK_CONTROL_SAMPLE_RATE, 44100, -4,
                      "Sample rate 44100 Hz is not supported; choose 16000, 24000, 32000 or 48000"},
                     {"loopback 2", false, VESK_CONTROL_LOOPBACK, 2, 0, ""},
                     {"loopback 3", false, VESK_CONTROL_LOOPBACK, 3, -4,
                      "Loopback 3 is not valid; choose 0 (none), 1 (i2s) or 2 (server)"},
                     {"query 3", true, 3, 0, -4, "Unsupported query code 0x00000003"}});

    uint32_t values[2] = {};
    ASSERT_EQ(vesk_query(client.get(), VESK_QUERY_CHANNELS, &values[0], &values[1], nullptr, nullptr), 0);
    EXPECT_EQ(values[0], 3u);
    EXPECT_EQ(values[1], 5u);
    // The start-up word keeps only the fields the hardware has.
    ASSERT_EQ(vesk_query(client.get(), VESK_QUERY_SETUP, &values[0], &values[1], nullptr, nullptr), 0);
    EXPECT_EQ(values[0], 0x04000005u);
    EXPECT_EQ(values[1], 0x0700000Fu);
    // A new word is applied within the supported mask.
    ASSERT_EQ(vesk_control(client.get(), VESK_CONTROL_HARDWARE_SETUP, 0x03FF0F02), 0);
    ASSERT_EQ(vesk_query(client.get(), VESK_QUERY_SETUP, &values[0], nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(values[0], 0x03000002u);
    ASSERT_EQ(vesk_query(client.get(), VESK_QUERY_PLAYBACK, &values[0], nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(values[0], 0u);
}

TEST(Settings, PlenarBTakesAnyRateAndHasNoSetup) {
    vesksim_child sim({"--hardware", "b"});
    auto client = connect_client(sim, 1024);
    expect_settings(client.get(),
                    {{"rate 1", false, VESK_CONTROL_SAMPLE_RATE, 1, 0, ""},
                     {"rate 44100", false, VESK_CONTROL_SAMPLE_RATE, 44100, 0, ""},
                     {"rate 0", false, VESK_CONTROL_SAMPLE_RATE, 0, -4,
                      "Sample rate 0 Hz is not valid; it must be 1 Hz or more"},
                     {"rate -5", false, VESK_CONTROL_SAMPLE_RATE, -5, -4,
                      "Sample rate -5 Hz is not valid; it must be 1 Hz or more"},
                     {"set-up word", false, VESK_CONTROL_HARDWARE_SETUP, 5, -7,
                      "This hardware has no audio set-up"},
                     {"set-up query", true, VESK_QUERY_SETUP, 0, -7,
                      "This hardware has no audio set-up"}});
}

TEST(Settings, RefusesWhatTheLibraryNeverSends) {
    vesksim_child sim;
    expect_raw_cases(sim,
                     {{"control 32", VESK_CMD_CONTROL, 32, 1, -4, "Unsupported control code 0x00000020"},
                      {"command 9", 9, 0, 0, -4, "Unknown command 9"},
                      {"connect twice", VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64, -2,
                       "Already connected"}},
                     true);
}

TEST(Link, EchoesTheCommandBytes) {
    vesksim_child sim;
    auto client = connect_client(sim, 64);
    const std::vector<uint8_t> command = {0x51, 0x00, 0xFF, 0x10, 0x7E};
    std::vector<uint8_t> response(command.size());
    EXPECT_EQ(vesk_link(client.get(), command.data(), 5, response.data()), 0) << vesk_errtext(client.get());
    EXPECT_EQ(response, command);
    EXPECT_EQ(vesk_link(client.get(), command.data(), 0, response.data()), 0);
}

}  // namespace
