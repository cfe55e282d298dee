// Refused staging and reads, malformed input, vanishing clients and
// signals: none of them may cost the next session.
#include <gtest/gtest.h>
#include <cstdio>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "built_program.h"
#include "sim_harness.h"

namespace {

// A good session after whatever went before: connect, ask, play, read.
void expect_good_session(const vesksim_child &sim) {
    int32_t connected = -100;
    auto client = connect_client(sim, 16, &connected);
    ASSERT_EQ(connected, 0) << vesk_errtext(client.get());
    ASSERT_EQ(vesk_stage_output(client.get(), VESK_STAGE_RESET, 0, nullptr, 0, 0), 0);
    ASSERT_EQ(vesk_stage_output(client.get(), VESK_STAGE_DATA, 0, nullptr, 3, 1), 0);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    std::vector<int32_t> buffer(10 * 2 * 16);
    uint32_t count = 10;
    EXPECT_EQ(vesk_read_input(client.get(), 0x3, buffer.data(), &count, 0, nullptr, nullptr), 0)
        << vesk_errtext(client.get());
    EXPECT_EQ(count, 3u);
}

int raw_session(const vesksim_child &sim, uint32_t block_size) {
    const int fd = raw_connect(sim.port);
    auto hello = raw_exchange(fd, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, block_size);
    EXPECT_TRUE(hello && hello->status == 0);
    return fd;
}

TEST(Refusals, StagingAndReadingKeepTheStreamInStep) {
    vesksim_child sim({"--speed", "0"});
    const int fd = raw_session(sim, 16);
    const std::vector<uint8_t> one_block(64, 0x11), two_blocks(128, 0x22);
    struct refused {
        const char *what;
        uint32_t command, arg0, arg1, arg2;
        std::vector<uint8_t> payload;
        int32_t code;
        const char *text;
    };
    const std::vector<refused> cases = {
        {"short payload", VESK_CMD_STAGE_OUTPUT, VESK_STAGE_DATA, 0x3, 1, one_block, -4,
         "Payload of 64 bytes does not match 2 channels of 16 samples (128 bytes)"},
        {"payload without mask", VESK_CMD_STAGE_OUTPUT, VESK_STAGE_DATA, 0, 1, one_block, -4,
         "Payload of 64 bytes does not match 0 channels of 16 samples (0 bytes)"},
        {"output 2 of 2", VESK_CMD_STAGE_OUTPUT, VESK_STAGE_DATA, 0x5, 1, two_blocks, -4,
         "Channel mask 0x00000005 names outputs this device lacks (it has 2)"},
        {"reset with data", VESK_CMD_STAGE_OUTPUT, VESK_STAGE_RESET, 0x1, 0, one_block, -4,
         "A reset carries no channel data"},
        {"input 2 of 2", VESK_CMD_READ_INPUT, 0x4, 1, 0, {}, -4,
         "Channel mask 0x00000004 names inputs this device lacks (it has 2)"},
        {"no input", VESK_CMD_READ_INPUT, 0, 1, 0, {}, -4, "Channel mask selects no input"},
        {"no blocks", VESK_CMD_READ_INPUT, 1, 0, 0, {}, -4, "Block count must not be 0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        auto reply = raw_exchange(fd, c.command, c.arg0, c.arg1, c.arg2, 0, c.payload);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, VESK_STATUS_ERROR);
        EXPECT_EQ(static_cast<int32_t>(reply->val0), c.code);
        EXPECT_EQ(reply->text(), c.text);
    }
    // Nothing refused was staged: one good segment plays alone.
    ASSERT_EQ(raw_exchange(fd, VESK_CMD_STAGE_OUTPUT, VESK_STAGE_DATA, 0x2, 2, 9, one_block)->status, 0u);
    ASSERT_EQ(raw_exchange(fd, VESK_CMD_CONTROL_OUTPUT, VESK_OUTPUT_START)->status, 0u);
    auto data = raw_exchange(fd, VESK_CMD_READ_INPUT, 0x3, 10);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->status, VESK_STATUS_DATA);
    EXPECT_EQ(data->val1, 9u);
    EXPECT_EQ(data->val2, 0u);
    EXPECT_EQ(data->payload.size(), 2u * 128);
    auto end = raw_exchange(fd, VESK_CMD_READ_INPUT, 0x3, 10);
    EXPECT_EQ(end->val0, 1u);
    EXPECT_TRUE(end->payload.empty());
    close(fd);
}

TEST(Refusals, StagingIsBoundedPerSession) {
    vesksim_child sim({"--outputs", "32"});
    auto client = connect_client(sim, 65536);
    const std::vector<int32_t> block(65536, 1);
    const std::vector<const int32_t *> channels(32, block.data());
    int32_t result = 0;
    int staged = 0;
    while (staged < 40 && (result = vesk_stage_output(client.get(), VESK_STAGE_DATA, 32,
                                                      channels.data(), 1, 1)) == 0)
        ++staged;
    EXPECT_EQ(result, VESK_SERVER_ERROR);
    EXPECT_EQ(staged, 31);  // 8 MiB each, 256 MiB in all
    EXPECT_STREQ(vesk_errtext(client.get()), "Staged sequence would exceed the server's limit of 256 MiB");
    EXPECT_EQ(vesk_stage_output(client.get(), VESK_STAGE_RESET, 0, nullptr, 0, 0), 0);
    EXPECT_EQ(vesk_stage_output(client.get(), VESK_STAGE_DATA, 32, channels.data(), 1, 1), 0);
}

TEST(Malformed, InputNeverCostsTheNextSession) {
    vesksim_child sim({"--speed", "0"});
    struct malformed {
        const char *what;
        std::vector<uint8_t> bytes;
        bool closes;
    };
    const std::vector<malformed> cases = {
        {"wrong magic", frame(0x39FB443E, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64, 0, 0, 0), true},
        {"payload too long", frame(VESK_MAGIC, VESK_CMD_LINK, 0, 0, 0, 0, 32 * 65536 * 4 + 1), true},
        {"header cut short", {0x39, 0xFB, 0x44}, false},
        {"payload cut short", frame(VESK_MAGIC, VESK_CMD_LINK, 0, 0, 0, 0, 1000, {1, 2, 3}), false},
    };
    for (bool in_session : {false, true}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.what) + (in_session ? " in a session" : ""));
            const int fd = in_session ? raw_session(sim, 64) : raw_connect(sim.port);
            ASSERT_TRUE(raw_send_bytes(fd, c.bytes));
            if (c.closes) {
                EXPECT_TRUE(closed_by_peer(fd));
            }
            close(fd);  // the client vanishes mid-request
            expect_good_session(sim);
        }
    }
}

TEST(Malformed, ClientThatStopsReadingBlocksNoOne) {
    vesksim_child sim({"--speed", "0", "--inputs", "32"});
    const int fd = raw_session(sim, 65536);
    ASSERT_EQ(raw_exchange(fd, VESK_CMD_STAGE_OUTPUT, VESK_STAGE_DATA, 0, 10, 1)->status, 0u);
    ASSERT_EQ(raw_exchange(fd, VESK_CMD_CONTROL_OUTPUT, VESK_OUTPUT_START)->status, 0u);
    // 16 MiB of captured blocks, more than the socket buffers hold, that
    // nobody reads.
    ASSERT_TRUE(raw_send_bytes(fd, frame(VESK_MAGIC, VESK_CMD_READ_INPUT, 0xFFFFFFFF, 2, 0, 0, 0)));

    instance_ptr other(vesk_init(0, nullptr));
    vesk_control(other.get(), VESK_CONTROL_PROGRESS_TIMEOUT, 30000);  // sanitizers are slow
    vesk_control(other.get(), VESK_CONTROL_BLOCK_SIZE, 64);
    EXPECT_EQ(vesk_connect(other.get(), sim.address().c_str()), VESK_SERVER_STATE)
        << vesk_errtext(other.get());
    close(fd);
    expect_good_session(sim);
}

TEST(CommandLine, RefusesBadValuesWithStatus1) {
    const std::string binary = built_program("VESKSIM");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--listen localhost:0", "--listen wants ADDRESS:PORT with an IPv4 address, not 'localhost:0'"},
        {"--listen 127.0.0.1:65536", "--listen wants ADDRESS:PORT with an IPv4 address, not '127.0.0.1:65536'"},
        {"--inputs 33", "--inputs wants a channel count from 1 to 32, not '33'"},
        {"--outputs=0", "--outputs wants a channel count from 1 to 32, not '0'"},
        {"--setup 0x100000000", "--setup wants a 32-bit number, not '0x100000000'"},
        {"--speed -1", "--speed wants 0 or a number from 0.001 to 1e+06, not '-1'"},
        {"--hardware c4", "--hardware wants c3 or b, not 'c4'"},
        {"--port-file", "--port-file wants a value"},
        {"--verbose extra", "unknown option 'extra'"},
        {"--dut gain=loud", "--dut gain wants dB from -200 to 60, not 'loud'"},
        {"--dut=delay=-1", "--dut delay wants samples from 0 to 1000000, not '-1'"},
        {"--dut noise=-110,thd=-10", "--dut thd wants dB from -200 to -20, or off, not '-10'"},
        {"--dut crosstalk=nan", "--dut crosstalk wants dB from -200 to 0, or off, not 'nan'"},
        {"--dut volume=3", "--dut wants KEY=VALUE items, separated by commas, of gain, delay, "
                           "noise, thd or crosstalk, not 'volume=3'"},
        {"--dut gain=-6,", "--dut wants KEY=VALUE items, separated by commas, of gain, delay, "
                           "noise, thd or crosstalk, not ''"},
    };
    for (const auto &[arguments, message] : cases) {
        FILE *output = popen((binary + " " + arguments + " 2>&1").c_str(), "r");
        ASSERT_NE(output, nullptr);
        std::string text;
        char chunk[256];
        while (fgets(chunk, sizeof chunk, output) != nullptr) text += chunk;
        const int status = pclose(output);
        EXPECT_EQ(text, "vesksim: " + message + "\nTry 'vesksim --help'.\n");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << arguments;
    }
}

TEST(Signals, EndTheServerCleanly) {
    for (int signal_number : {SIGTERM, SIGINT}) {
        vesksim_child sim;
        auto client = connect_client(sim, 64);
        EXPECT_EQ(sim.stop(signal_number), 0);
        EXPECT_NE(access(sim.port_file.c_str(), F_OK), 0);  // the port file goes too
    }
}

TEST(Signals, OnceEndsWithTheFirstSession) {
    vesksim_child sim({"--once"});
    connect_client(sim, 64).reset();
    EXPECT_EQ(sim.wait_exit(), 0);
}

}  // namespace
