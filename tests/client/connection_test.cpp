// vesk_control and vesk_connect.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include "client_test_support.h"
#include "vesksim_child.h"

using namespace std::chrono_literals;

TEST(Control, LocalSettingsAndRefusals) {
    instance_ptr idle = new_instance();
    connected_client client;
    vesk_instance *i = idle.get(), *c = client.get();
    const outcome illegal{-4, "Legal block sizes are 16 to 65536 samples per block"},
        while_connected{-9, "Cannot change block size while connected"};
    const std::string not_connected = "Must be connected to server to change this setting (0x00000";
    const std::tuple<vesk_instance *, uint32_t, int32_t, outcome> table[] = {
        {i, 1, -5, {0, "Connect timeout set to 0 ms"}},
        {i, 2, 300, {0, "Progress timeout set to 300 ms"}},
        {i, 2, INT32_MIN, {0, "Progress timeout set to 0 ms"}},
        {i, 16, 16, {0, "Block size set to 16 samples per block"}},
        {i, 16, 65536, {0, "Block size set to 65536 samples per block"}},
        {i, 16, 15, illegal},
        {i, 16, 65537, illegal},
        {i, 0x80000000u, 1, {-4, "Unsupported argument 0x80000000 to vesk_control"}},
        {i, 4, 1, {-8, not_connected + "004)"}},
        {i, 256, 1, {-8, not_connected + "100)"}},
        {c, 3, 1, {-4, "Unsupported argument 0x00000003 to vesk_control"}},
        // the connection is checked before the range
        {c, 16, 1024, while_connected},
        {c, 16, 1, while_connected},
    };
    for (const auto &[instance, code, value, want] : table)
        EXPECT_EQ(outcome_of(instance, vesk_control(instance, code, value)), want) << code << " " << value;
    EXPECT_EQ(idle->connect_timeout_ms, 0u);
    EXPECT_EQ(idle->block_size, 65536);
    EXPECT_TRUE(client.requests().empty());
}

TEST(Control, ServerSettingsOnTheWire) {
    connected_client client(16, 2000, {fake::ordinary(), fake::message("rate noted"), fake::error(-10, "asleep")});
    set_errtext(client.get(), "previous");
    EXPECT_EQ(client.result(vesk_control(client.get(), 4, 48000)), (outcome{0, "previous"}));
    EXPECT_EQ(client.result(vesk_control(client.get(), 8, 2)), (outcome{0, "rate noted"}));
    EXPECT_EQ(client.result(vesk_control(client.get(), 256, -1)), (outcome{-10, "asleep"}));
    EXPECT_TRUE(client.still_connected());
    EXPECT_EQ(client.sent(),
              (std::vector<request_words>{
                  {VESK_CMD_CONTROL, 4, 48000}, {VESK_CMD_CONTROL, 8, 2}, {VESK_CMD_CONTROL, 256, 0xFFFFFFFF}}));
}

TEST(Control, HardwareSetupWaitsAtLeastTenSeconds) {
    connected_client client(16, 1, {fake::late(fake::ordinary(), 400ms), fake::late(fake::ordinary(), 400ms)});
    EXPECT_EQ(vesk_control(client.get(), 256, 0x1234), 0) << vesk_errtext(client.get());
    EXPECT_EQ(client.get()->progress_timeout_ms, 1u);
    EXPECT_EQ(client.result(vesk_control(client.get(), 4, 48000)), (outcome{-3, "Timed out receiving network traffic"}))
        << "other settings keep the progress time-out";

    connected_client failing(16, 200, {fake::hang_up()});
    EXPECT_EQ(vesk_control(failing.get(), 256, 1), -3);
    EXPECT_EQ(failing.get()->progress_timeout_ms, 200u) << "restored after a failure too";
}

TEST(Connect, HandshakeOnTheWireAndItsReplies) {
    fake::server server(fake::in_order({fake::ordinary(), fake::message("welcome"), fake::error(-5, "too old")}));
    instance_ptr instance = new_instance(1024);
    vesk_instance *i = instance.get();
    auto handshake = [i, address = server.address()] { return outcome_of(i, vesk_connect(i, address.c_str())); };
    EXPECT_EQ(handshake(), (outcome{0, "Block size set to 1024 samples per block"}));
    EXPECT_EQ(server.requests().at(0).magic, VESK_MAGIC);
    EXPECT_EQ(words_of(server.requests().at(0)), (request_words{VESK_CMD_CONNECT, 0x00010000, 1024}));
    EXPECT_EQ(handshake(), (outcome{0, "welcome"}));
    EXPECT_NE(instance->socket, -1);
    EXPECT_EQ(handshake(), (outcome{-5, "too old"}));
    EXPECT_EQ(instance->socket, -1);
    EXPECT_EQ(server.connections(), 3) << "each old connection was closed first";
}

TEST(Connect, DisconnectAndAddressTexts) {
    fake::server server;
    const std::string port = std::to_string(server.port());
    instance_ptr instance = new_instance();
    vesk_instance *i = instance.get();
    auto connect_to = [i](const std::string &address) { return outcome_of(i, vesk_connect(i, address.c_str())); };
    EXPECT_EQ(connect_to(""), (outcome{0, "Disconnected"}));
    EXPECT_EQ(vesk_connect(i, nullptr), 0);
    EXPECT_EQ(connect_to(server.address()), (outcome{-4, "Must specify block size prior to connecting to a server"}));
    vesk_control(i, VESK_CONTROL_BLOCK_SIZE, 16);
    const std::pair<std::string, std::string> table[] = {
        {"127.0.0.1", "TCP port must be specified"}, {"127.0.0.1:", "TCP port must be specified"},
        {":" + port, "IP address is not valid"},     {"127.0.0.256:" + port, "IP address is not valid"},
        {"127.0.0.1:0", "TCP port is not valid"},    {"127.0.0.1:65536", "TCP port is not valid"},
    };
    for (const auto &[address, text] : table) EXPECT_EQ(connect_to(address), (outcome{-4, text})) << address;
    EXPECT_EQ(server.connections(), 0) << "nothing was tried";

    // Dotted forms as inet_addr reads them, a port with blanks and a trailing word.
    for (std::string address : {"127.1:" + port, "0x7f.0.0.1: " + port, "127.0.0.1:+" + port + "x"}) {
        EXPECT_EQ(connect_to(address).code, 0) << address << ": " << vesk_errtext(i);
        EXPECT_EQ(connect_to(""), (outcome{0, "Disconnected"}));
        EXPECT_EQ(i->socket, -1);
    }
}

// A refused connection's text shows in the whole runs.
TEST(Connect, UnansweredConnections) {
    instance_ptr instance = new_instance(16);
    vesk_instance *i = instance.get();
    vesk_control(i, VESK_CONTROL_CONNECT_TIMEOUT, 200);
    // A listening socket whose one-place queue is taken at once completes no further connection.
    int busy = socket(AF_INET, SOCK_STREAM, 0), queued = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in where{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof where;
    EXPECT_EQ(bind(busy, reinterpret_cast<sockaddr *>(&where), size), 0);
    getsockname(busy, reinterpret_cast<sockaddr *>(&where), &size);
    EXPECT_EQ(listen(busy, 0), 0);
    connect(queued, reinterpret_cast<sockaddr *>(&where), size);
    usleep(50000);
    fake::server hangs_up(fake::in_order({fake::hang_up()}));
    const std::pair<std::string, std::string> table[] = {
        {"127.0.0.1:" + std::to_string(ntohs(where.sin_port)), "Timed out attempting to connect to audio device"},
        {hangs_up.address(), "Connection to audio device was closed"},
    };
    for (const auto &[address, text] : table) {
        EXPECT_EQ(outcome_of(i, vesk_connect(i, address.c_str())), (outcome{-3, text}));
        EXPECT_EQ(i->socket, -1);
    }
    close(queued);
    close(busy);
    // No descriptor left for a socket.
    rlimit limits{};
    getrlimit(RLIMIT_NOFILE, &limits);
    const int lowest_free = dup(2);
    close(lowest_free);
    const rlimit none{rlim_t(lowest_free), limits.rlim_max};
    setrlimit(RLIMIT_NOFILE, &none);
    const outcome refused = outcome_of(i, vesk_connect(i, "127.0.0.1:9"));
    setrlimit(RLIMIT_NOFILE, &limits);
    EXPECT_EQ(refused, (outcome{-3, "Could not create socket: Too many open files"}));
}

TEST(Connect, ShutdownClosesAForgottenConnection) {
    // On descriptor 0 too, as in a process started with its standard input closed; the server is a
    // process of its own, as a thread waiting in accept would take the lowest descriptor first.
    vesksim_child sim;
    const int input = dup(0);
    close(0);
    vesk_instance *on_zero = new_instance(16).release();
    EXPECT_EQ(vesk_connect(on_zero, sim.address().c_str()), 0);
    EXPECT_EQ(on_zero->socket, 0);
    vesk_shutdown(on_zero);
    EXPECT_EQ(fcntl(0, F_GETFD), -1);
    if (input >= 0) dup2(input, 0), close(input);
    fake::server server;  // serves one connection at a time
    vesk_instance *forgotten = new_instance(16).release();
    ASSERT_EQ(vesk_connect(forgotten, server.address().c_str()), 0);
    vesk_shutdown(forgotten);
    instance_ptr next = new_instance(16);
    EXPECT_EQ(vesk_connect(next.get(), server.address().c_str()), 0) << vesk_errtext(next.get());
}
