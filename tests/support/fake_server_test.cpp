#include "fake_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A plain blocking client; every receive gives up after two seconds.
struct raw_client {
    int fd = -1;
    explicit raw_client(uint16_t port) {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        timeval limit{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        where.sin_port = htons(port);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr *>(&where), sizeof where), 0);
    }
    ~raw_client() { close(fd); }

    void send_request(std::vector<uint32_t> words, const std::vector<uint8_t> &payload = {}) {
        std::vector<uint8_t> bytes = fake::big_endian_words(words);
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    // Up to count bytes: fewer when the peer closes or the limit passes.
    std::vector<uint8_t> receive(std::size_t count) {
        std::vector<uint8_t> bytes(count);
        std::size_t got = 0;
        while (got < count) {
            ssize_t n = recv(fd, bytes.data() + got, count - got, 0);
            if (n <= 0) break;
            got += std::size_t(n);
        }
        bytes.resize(got);
        return bytes;
    }
    bool readable_within(std::chrono::milliseconds wait) {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, int(wait.count())) == 1;
    }
};

std::vector<uint8_t> header_bytes(std::vector<uint32_t> words) {
    return fake::big_endian_words(words);
}

}  // namespace

TEST(FakeServer, RecordsRequestsAndAnswersByScript) {
    fake::server srv(fake::in_order({fake::ordinary(1, 2, 3, 4), fake::error(-5, "bad"),
                                     fake::message("hi"), fake::data({9, 8, 7}, 1, 2, 3)}));
    EXPECT_EQ(srv.address(), "127.0.0.1:" + std::to_string(srv.port()));
    raw_client client(srv.port());

    client.send_request({VESK_MAGIC, 7, 10, 11, 12, 13, 4}, {0xAB, 0xCD, 0x01, 0x02});
    EXPECT_EQ(client.receive(28), header_bytes({VESK_MAGIC, 0, 1, 2, 3, 4, 0}));
    client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
    std::vector<uint8_t> want =
        header_bytes({VESK_MAGIC, VESK_STATUS_ERROR, 0xFFFFFFFB, 0, 0, 0, 3});
    want.insert(want.end(), {'b', 'a', 'd'});
    EXPECT_EQ(client.receive(31), want);
    client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
    want = header_bytes({VESK_MAGIC, VESK_STATUS_MESSAGE, 0, 0, 0, 0, 2});
    want.insert(want.end(), {'h', 'i'});
    EXPECT_EQ(client.receive(30), want);
    client.send_request({VESK_MAGIC, 5, 0, 0, 0, 0, 0});
    want = header_bytes({VESK_MAGIC, VESK_STATUS_DATA, 1, 2, 3, 0, 3});
    want.insert(want.end(), {9, 8, 7});
    EXPECT_EQ(client.receive(31), want);

    ASSERT_TRUE(srv.wait_for_requests(4, 1s));
    std::vector<fake::request> seen = srv.requests();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].magic, VESK_MAGIC);
    EXPECT_EQ(seen[0].command, 7u);
    EXPECT_EQ(seen[0].arg0, 10u);
    EXPECT_EQ(seen[0].arg3, 13u);
    EXPECT_EQ(seen[0].length, 4u);
    EXPECT_EQ(seen[0].payload, (std::vector<uint8_t>{0xAB, 0xCD, 0x01, 0x02}));
    EXPECT_EQ(fake::payload_word(seen[0], 0), 0xABCD0102u);
    EXPECT_THROW(fake::payload_word(seen[0], 1), std::out_of_range);
    EXPECT_EQ(seen[3].command, 5u);
}

TEST(FakeServer, FalsifiesHeadersAndTrickles) {
    fake::server srv(fake::in_order({fake::with_magic(fake::ordinary(), 0x12345678),
                                     fake::with_length(fake::data({1, 2}), 100),
                                     fake::trickled(fake::ordinary(5), 3, 20ms)}));
    raw_client client(srv.port());
    client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
    EXPECT_EQ(client.receive(28), header_bytes({0x12345678, 0, 0, 0, 0, 0, 0}));
    client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
    std::vector<uint8_t> want = header_bytes({VESK_MAGIC, VESK_STATUS_DATA, 0, 0, 0, 0, 100});
    want.insert(want.end(), {1, 2});
    EXPECT_EQ(client.receive(30), want);
    client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
    std::vector<uint8_t> first(28);
    ASSERT_EQ(recv(client.fd, first.data(), first.size(), 0), 3) << "a trickle comes in pieces";
    std::vector<uint8_t> rest = client.receive(25);
    first.resize(3);
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(first, header_bytes({VESK_MAGIC, 0, 5, 0, 0, 0, 0}));
}

TEST(FakeServer, SilenceLateHangUpAndConnectionsInTurn) {
    fake::server srv(fake::in_order({fake::silence(), fake::late(fake::ordinary(1), 150ms),
                                     fake::hang_up(), fake::urgent(fake::ordinary(2))}));
    {
        raw_client client(srv.port());
        client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
        EXPECT_FALSE(client.readable_within(100ms)) << "silence never answers";
        client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
        EXPECT_FALSE(client.readable_within(50ms)) << "a late reply is not there at once";
        EXPECT_EQ(client.receive(28), header_bytes({VESK_MAGIC, 0, 1, 0, 0, 0, 0}));
        client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
        EXPECT_TRUE(client.receive(28).empty()) << "hang_up closes the connection";
    }
    raw_client second(srv.port());
    second.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
    pollfd p{second.fd, POLLPRI, 0};
    EXPECT_EQ(poll(&p, 1, 2000), 1) << "the out-of-band byte comes first";
    EXPECT_EQ(second.receive(28), header_bytes({VESK_MAGIC, 0, 2, 0, 0, 0, 0}));
    ASSERT_TRUE(srv.wait_for_requests(4, 1s));
    EXPECT_EQ(srv.requests()[3].connection, 1);
    EXPECT_EQ(srv.connections(), 2);
}

TEST(FakeServer, StopEndsEveryWait) {
    fake::server srv(fake::in_order({fake::late(fake::ordinary(), 60s)}));
    raw_client client(srv.port());
    client.send_request({VESK_MAGIC, 6, 0, 0, 0, 0, 0});
    ASSERT_TRUE(srv.wait_for_requests(1, 1s));
    srv.stop();  // must not sit out the delay (the test would time out)
    SUCCEED();
}
