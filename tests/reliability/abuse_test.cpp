// vesksim under abuse while a client session plays: hundreds of connections
// opened and dropped, garbage requests, and a client that stops reading.
// The session in progress still gets every block, the next session works,
// and the server's memory stays bounded.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "sim_harness.h"

namespace {

constexpr int32_t block_size = 256;

// A distinct, deterministic block of samples.
std::vector<int32_t> test_block()
{
    std::vector<int32_t> block(block_size);
    for (int32_t i = 0; i < block_size; ++i)
        block[static_cast<size_t>(i)] = static_cast<int32_t>(0x01000000u * static_cast<uint32_t>(i % 128) + 0x00012300u + static_cast<uint32_t>(i));
    return block;
}

struct captured_session {
    int32_t last_code = 0;  // the read that ended the session
    std::string last_text;
    uint32_t blocks = 0;
    uint32_t wrong_blocks = 0;  // blocks that differ from what was played
    uint32_t out_of_order = 0;  // blocks whose sequence number is not the next one
};

// One whole session: the block played count times on output 0 under the
// server loopback, and input 0 read until the stream ends.
captured_session play_and_capture(const vesksim_child &sim, uint32_t count)
{
    captured_session result;
    int32_t connected = -100;
    instance_ptr client = connect_client(sim, block_size, &connected);
    if (connected != VESK_SUCCESS) {
        result.last_code = connected;
        result.last_text = vesk_errtext(client.get());
        return result;
    }
    const std::vector<int32_t> block = test_block();
    const int32_t *channels[1] = {block.data()};
    EXPECT_EQ(vesk_control(client.get(), VESK_CONTROL_LOOPBACK, VESK_LOOPBACK_SERVER), 0);
    EXPECT_EQ(vesk_stage_output(client.get(), VESK_STAGE_RESET, 0, nullptr, 0, 0), 0);
    EXPECT_EQ(vesk_stage_output(client.get(), VESK_STAGE_DATA, 1, channels, count, 7), 0);
    EXPECT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);

    std::vector<int32_t> buffer(10 * block_size);
    for (;;) {
        uint32_t got = 10;
        uint32_t sequence = 0;
        int32_t code = vesk_read_input(client.get(), 0x1, buffer.data(), &got, 0, nullptr, &sequence);
        if (code != VESK_SUCCESS) {
            result.last_code = code;
            result.last_text = vesk_errtext(client.get());
            return result;
        }
        for (uint32_t k = 0; k < got; ++k) {
            if (sequence + k != result.blocks)
                ++result.out_of_order;
            if (!std::equal(block.begin(), block.end(), buffer.begin() + k * block_size))
                ++result.wrong_blocks;
            ++result.blocks;
        }
        if (got == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

long resident_kib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    return -1;
}

// Connects a socket whose receive buffer is as small as the system allows,
// then sends requests and never reads a reply, until the server stops
// taking them.
int client_that_stops_reading(uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int smallest = 1;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    std::vector<uint8_t> queries;
    for (int i = 0; i < 1000; ++i) {
        std::vector<uint8_t> query = frame(VESK_MAGIC, VESK_CMD_QUERY, VESK_QUERY_CHANNELS, 0, 0, 0, 0);
        queries.insert(queries.end(), query.begin(), query.end());
    }
    // The kernel buffers hold a few MiB; 28 MiB of requests is more than they take.
    for (int i = 0; i < 1000; ++i)
        if (send(fd, queries.data(), queries.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0)
            break;
    return fd;
}

// 200 connections, in rounds of 50 held open at once: some send nothing,
// some half a header, some garbage, some a request with a wrong magic or an
// impossible length, some a CONNECT that the busy server refuses.
void abuse(uint16_t port)
{
    std::mt19937 random(7);
    const std::vector<std::vector<uint8_t>> openings = {
        {},
        {0x39, 0xFB, 0x44},
        frame(0x12345678, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, block_size, 0, 0, 0),
        frame(VESK_MAGIC, VESK_CMD_LINK, 0, 0, 0, 0, 0xFFFFFFF0),
        frame(VESK_MAGIC, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, block_size, 0, 0, 0),
        frame(VESK_MAGIC, 99, 1, 2, 3, 4, 0),
    };
    for (int round = 0; round < 4; ++round) {
        std::vector<int> open;
        for (int i = 0; i < 50; ++i) {
            const int fd = raw_connect(port);
            if (fd < 0)
                continue;
            std::vector<uint8_t> bytes = openings[static_cast<size_t>(i) % openings.size()];
            if (i % 7 == 3) {
                bytes.resize(1 + random() % 200);
                for (uint8_t &b : bytes)
                    b = static_cast<uint8_t>(random());
            }
            if (!bytes.empty())
                send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            open.push_back(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (int fd : open)
            close(fd);
    }
}

TEST(Abuse, SessionInProgressCompletesAndTheNextOneWorks)
{
    vesksim_child sim({"--speed", "1", "--outputs", "1", "--inputs", "1"});
    const long resident_before = resident_kib(sim.process.pid);

    // 400 blocks of 256 samples play for about 2 s at 48 kHz.
    constexpr uint32_t played = 400;
    captured_session during;
    std::thread session([&] { during = play_and_capture(sim, played); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int stalled = client_that_stops_reading(sim.port);
    abuse(sim.port);
    session.join();

    EXPECT_EQ(during.last_code, VESK_END_OF_STREAM) << during.last_text;
    EXPECT_EQ(during.blocks, played);
    EXPECT_EQ(during.wrong_blocks, 0u);
    EXPECT_EQ(during.out_of_order, 0u);

    // The client that stopped reading is still connected, holding one reply.
    captured_session next = play_and_capture(sim, 20);
    EXPECT_EQ(next.last_code, VESK_END_OF_STREAM) << next.last_text;
    EXPECT_EQ(next.blocks, 20u);
    EXPECT_EQ(next.wrong_blocks, 0u);

    const long resident_after = resident_kib(sim.process.pid);
    ASSERT_GT(resident_before, 0);
    // Bounded, not measured: a server that kept what the abusers sent would
    // grow far past this.
    EXPECT_LT(resident_after - resident_before, 64 * 1024) << resident_before << " KiB before, " << resident_after
                                                            << " KiB after";
    if (stalled >= 0)
        close(stalled);
}

}  // namespace
