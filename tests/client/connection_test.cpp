// vesk_control and vesk_connect.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "client_test_support.h"

using namespace std::chrono_literals;

namespace {

struct outcome {
    int32_t code;
    std::string text;
    bool operator==(const outcome &) const = default;
};

std::ostream &operator<<(std::ostream &out, const outcome &o) {
    return out << o.code << " \"" << o.text << "\"";
}

outcome control(vesk_instance *instance, uint32_t code, int32_t value) {
    int32_t result = vesk_control(instance, code, value);
    return {result, vesk_errtext(instance)};
}

outcome connect_to(vesk_instance *instance, const std::string &address) {
    int32_t result = vesk_connect(instance, address.c_str());
    return {result, vesk_errtext(instance)};
}

// A listening socket on 127.0.0.1 whose one-place queue is already taken, so
// that further connections are not completed.
struct full_listener {
    int listen_fd = socket(AF_INET, SOCK_STREAM, 0);
    int queued_fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    uint16_t port = 0;
    full_listener() {
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof where;
        EXPECT_EQ(bind(listen_fd, reinterpret_cast<sockaddr *>(&where), size), 0);
        EXPECT_EQ(listen(listen_fd, 0), 0);
        getsockname(listen_fd, reinterpret_cast<sockaddr *>(&where), &size);
        port = ntohs(where.sin_port);
        connect(queued_fd, reinterpret_cast<sockaddr *>(&where), size);
        usleep(50000);
    }
    ~full_listener() {
        close(queued_fd);
        close(listen_fd);
    }
};

}  // namespace

TEST(Control, LocalSettings) {
    instance_ptr instance = new_instance();
    vesk_instance *i = instance.get();
    EXPECT_EQ(control(i, 1, -5), (outcome{0, "Connect timeout set to 0 ms"}));
    EXPECT_EQ(i->connect_timeout_ms, 0u);
    EXPECT_EQ(control(i, 2, 300), (outcome{0, "Progress timeout set to 300 ms"}));
    EXPECT_EQ(control(i, 2, INT32_MIN), (outcome{0, "Progress timeout set to 0 ms"}));
    EXPECT_EQ(control(i, 16, 16), (outcome{0, "Block size set to 16 samples per block"}));
    EXPECT_EQ(control(i, 16, 65536), (outcome{0, "Block size set to 65536 samples per block"}));
    const outcome illegal{-4, "Legal block sizes are 16 to 65536 samples per block"};
    EXPECT_EQ(control(i, 16, 15), illegal);
    EXPECT_EQ(control(i, 16, 65537), illegal);
    EXPECT_EQ(control(i, 16, -1), illegal);
    EXPECT_EQ(i->block_size, 65536);
}

TEST(Control, RefusedCodes) {
    instance_ptr instance = new_instance();
    connected_client client;
    for (vesk_instance *i : {instance.get(), client.get()}) {
        EXPECT_EQ(control(i, 32, 1),
                  (outcome{-4, "Unsupported argument 0x00000020 to vesk_control"}));
        EXPECT_EQ(control(i, 3, 1),
                  (outcome{-4, "Unsupported argument 0x00000003 to vesk_control"}));
        EXPECT_EQ(control(i, 0x80000000u, 1),
                  (outcome{-4, "Unsupported argument 0x80000000 to vesk_control"}));
    }
    for (uint32_t code : {4u, 8u, 256u}) {
        char text[80];
        std::snprintf(text, sizeof text,
                      "Must be connected to server to change this setting (0x%08X)", code);
        EXPECT_EQ(control(instance.get(), code, 1), (outcome{-8, text}));
    }
    EXPECT_EQ(control(client.get(), 16, 1024),
              (outcome{-9, "Cannot change block size while connected"}));
    EXPECT_EQ(control(client.get(), 16, 1),
              (outcome{-9, "Cannot change block size while connected"}))
        << "the connection is checked before the range";
    EXPECT_TRUE(client.requests().empty());
}

TEST(Control, ServerSettingsOnTheWire) {
    connected_client client;
    client.answer({fake::ordinary(), fake::message("rate noted"), fake::error(-10, "asleep")});
    set_errtext(client.get(), "previous");
    EXPECT_EQ(control(client.get(), 4, 48000), (outcome{0, "previous"}));
    EXPECT_EQ(control(client.get(), 8, 2), (outcome{0, "rate noted"}));
    EXPECT_EQ(control(client.get(), 256, -1), (outcome{-10, "asleep"}));
    EXPECT_TRUE(client.still_connected());
    std::vector<fake::request> seen = client.requests();
    ASSERT_EQ(seen.size(), 3u);
    const uint32_t want[3][2] = {{4, 48000}, {8, 2}, {256, 0xFFFFFFFF}};
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(seen[n].command, VESK_CMD_CONTROL);
        EXPECT_EQ(seen[n].arg0, want[n][0]);
        EXPECT_EQ(seen[n].arg1, want[n][1]);
        EXPECT_EQ(seen[n].arg2 | seen[n].arg3 | seen[n].length, 0u);
    }
}

TEST(Control, HardwareSetupWaitsAtLeastTenSeconds) {
    connected_client client(16, 200);
    client.answer({fake::late(fake::ordinary(), 400ms), fake::late(fake::ordinary(), 400ms)});
    EXPECT_EQ(control(client.get(), 256, 0x1234).code, 0) << client.text();
    EXPECT_EQ(client.get()->progress_timeout_ms, 200u);
    EXPECT_EQ(control(client.get(), 4, 48000), (outcome{-3, "Timed out receiving network traffic"}))
        << "other settings keep the progress time-out";

    connected_client failing(16, 200);
    failing.answer({fake::hang_up()});
    EXPECT_EQ(control(failing.get(), 256, 1).code, -3);
    EXPECT_EQ(failing.get()->progress_timeout_ms, 200u) << "restored after a failure too";

    connected_client unlimited(16, 0);
    EXPECT_EQ(control(unlimited.get(), 256, 1).code, 0);
    EXPECT_EQ(unlimited.get()->progress_timeout_ms, 0u);
}

TEST(Connect, HandshakeOnTheWireAndItsReplies) {
    fake::server server(fake::in_order({fake::ordinary(), fake::message("welcome"), fake::error(-5, "too old")}));
    instance_ptr instance = new_instance();
    control(instance.get(), 16, 1024);
    EXPECT_EQ(connect_to(instance.get(), server.address()), (outcome{0, "Block size set to 1024 samples per block"}));
    ASSERT_EQ(server.requests().size(), 1u);
    fake::request seen = server.requests()[0];
    EXPECT_EQ(seen.magic, VESK_MAGIC);
    EXPECT_EQ(seen.command, VESK_CMD_CONNECT);
    EXPECT_EQ(seen.arg0, 0x00010000u);
    EXPECT_EQ(seen.arg1, 1024u);
    EXPECT_EQ(seen.arg2 | seen.arg3 | seen.length, 0u);

    EXPECT_EQ(connect_to(instance.get(), server.address()), (outcome{0, "welcome"}));
    EXPECT_NE(instance->socket, -1);
    EXPECT_EQ(connect_to(instance.get(), server.address()), (outcome{-5, "too old"}));
    EXPECT_EQ(instance->socket, -1);
    EXPECT_EQ(server.connections(), 3) << "each old connection was closed first";
}

TEST(Connect, DisconnectAndAddressTexts) {
    fake::server server;
    const std::string port = std::to_string(server.port());
    instance_ptr instance = new_instance();
    vesk_instance *i = instance.get();
    EXPECT_EQ(connect_to(i, ""), (outcome{0, "Disconnected"}));
    EXPECT_EQ(vesk_connect(i, nullptr), 0);
    EXPECT_EQ(connect_to(i, server.address()),
              (outcome{-4, "Must specify block size prior to connecting to a server"}));
    control(i, 16, 16);
    const std::pair<std::string, outcome> table[] = {
        {"127.0.0.1", {-4, "TCP port must be specified"}},
        {"127.0.0.1:", {-4, "TCP port must be specified"}},
        {":" + port, {-4, "IP address is not valid"}},
        {"127.0.0.256:" + port, {-4, "IP address is not valid"}},
        {"localhost:" + port, {-4, "IP address is not valid"}},
        {"127.0.0.1:0", {-4, "TCP port is not valid"}},
        {"127.0.0.1:x1", {-4, "TCP port is not valid"}},
        {"127.0.0.1:-1", {-4, "TCP port is not valid"}},
        {"127.0.0.1:65536", {-4, "TCP port is not valid"}},
    };
    for (const auto &[address, want] : table) EXPECT_EQ(connect_to(i, address), want) << address;
    EXPECT_EQ(server.connections(), 0) << "nothing was tried";

    // Dotted forms as inet_addr reads them, a port with blanks and a trailing word.
    for (std::string address :
         {"127.1:" + port, "0x7f.0.0.1: " + port, "127.0.0.1:+" + port + "x"}) {
        EXPECT_EQ(vesk_connect(i, address.c_str()), 0) << address << ": " << vesk_errtext(i);
        EXPECT_EQ(connect_to(i, ""), (outcome{0, "Disconnected"}));
        EXPECT_EQ(i->socket, -1);
    }
}

TEST(Connect, RefusedAndUnansweredConnections) {
    instance_ptr instance = new_instance();
    vesk_instance *i = instance.get();
    control(i, 16, 16);
    control(i, 1, 200);

    // Bound but not listening: the connection is refused.
    int bound = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof where;
    ASSERT_EQ(bind(bound, reinterpret_cast<sockaddr *>(&where), size), 0);
    getsockname(bound, reinterpret_cast<sockaddr *>(&where), &size);
    outcome refused = connect_to(i, "127.0.0.1:" + std::to_string(ntohs(where.sin_port)));
    close(bound);
    EXPECT_EQ(refused.code, -3);
    EXPECT_TRUE(refused.text == "Error after connecting to audio device: Connection refused" ||
                refused.text == "Error connecting to audio device: Connection refused")
        << refused.text;
    EXPECT_EQ(i->socket, -1);

    full_listener busy;
    EXPECT_EQ(connect_to(i, "127.0.0.1:" + std::to_string(busy.port)),
              (outcome{-3, "Timed out attempting to connect to audio device"}));
    EXPECT_EQ(i->socket, -1);

    fake::server hangs_up(fake::in_order({fake::hang_up()}));
    EXPECT_EQ(connect_to(i, hangs_up.address()),
              (outcome{-3, "Connection to audio device was closed"}));
    EXPECT_EQ(i->socket, -1);
}

TEST(Connect, ShutdownClosesAForgottenConnection) {
    fake::server server;  // serves one connection at a time
    vesk_instance *forgotten = vesk_init(0, nullptr);
    vesk_control(forgotten, VESK_CONTROL_BLOCK_SIZE, 16);
    ASSERT_EQ(vesk_connect(forgotten, server.address().c_str()), 0);
    vesk_shutdown(forgotten);

    instance_ptr next = new_instance();
    control(next.get(), 16, 16);
    control(next.get(), 2, 500);
    EXPECT_EQ(vesk_connect(next.get(), server.address().c_str()), 0) << vesk_errtext(next.get());
}
