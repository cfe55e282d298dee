// The fake server's delays and trickles, which client tests that expect
// success would otherwise pass without: a reply sent whole and at once
// would hide a client that cannot wait or cannot join pieces.
#include "fake_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "raw_frames.h"

using namespace std::chrono_literals;

TEST(FakeServer, LateAndTrickledRepliesComeLateAndInPieces) {
    fake::server srv(fake::in_order({fake::late(fake::trickled(fake::ordinary(5), 3, 20ms), 150ms)}));
    const int fd = raw_connect(srv.port());
    ASSERT_TRUE(raw_send_bytes(fd, frame(VESK_MAGIC, VESK_CMD_QUERY, 0, 0, 0, 0, 0)));
    pollfd p{fd, POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 100), 0) << "a late reply is not there at once";
    uint8_t first[28];
    ASSERT_EQ(recv(fd, first, sizeof first, 0), 3) << "a trickle comes in pieces";
    EXPECT_EQ(first[0], 0x39);  // the magic, most significant byte first
    close(fd);
}
