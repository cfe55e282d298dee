// Malformed input, vanishing or stalled clients, running out of
// descriptors, and signals.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <random>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <thread>
#include <tuple>
#include <unistd.h>

#include "built_program.h"
#include "sim_harness.h"
#include "text_lines.h"

namespace {

// A good session after whatever went before: connect, ask, play, read.
void expect_good_session(const vesksim_child &sim) {
    const int fd = raw_session(sim, 16);
    EXPECT_EQ(raw_exchange(fd, VESK_CMD_STAGE_OUTPUT, VESK_STAGE_RESET).value().status, 0u);
    EXPECT_EQ(raw_exchange(fd, VESK_CMD_STAGE_OUTPUT, VESK_STAGE_DATA, 0, 3, 1).value().status, 0u);
    EXPECT_EQ(raw_exchange(fd, VESK_CMD_CONTROL_OUTPUT, VESK_OUTPUT_START).value().status, 0u);
    EXPECT_EQ(raw_exchange(fd, VESK_CMD_READ_INPUT, 0x3, 10).value().val3, 3u);  // blocks
    close(fd);
}

// CPU time a process has used so far.
std::chrono::nanoseconds cpu_time(pid_t pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    long long on_cpu = 0;
    schedstat >> on_cpu;
    return std::chrono::nanoseconds(on_cpu);
}

TEST(Malformed, InputNeverCostsTheNextSession) {
    vesksim_child sim({"--speed", "0"});
    // What is sent, and whether the server hangs up at once.
    const std::tuple<const char *, std::vector<uint8_t>, bool> cases[] = {
        {"wrong magic", frame(0x39FB443E, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64, 0, 0, 0), true},
        {"payload too long", frame(VESK_MAGIC, VESK_CMD_LINK, 0, 0, 0, 0, 32 * 65536 * 4 + 1), true},
        {"header cut short", {0x39, 0xFB, 0x44}, false},
        {"payload cut short", frame(VESK_MAGIC, VESK_CMD_LINK, 0, 0, 0, 0, 1000, {1, 2, 3}), false},
    };
    for (bool in_session : {false, true}) {
        for (const auto &[what, bytes, closes] : cases) {
            SCOPED_TRACE(std::string(what) + (in_session ? " in a session" : ""));
            const int fd = in_session ? raw_session(sim, 64) : raw_connect(sim.port);
            ASSERT_TRUE(raw_send_bytes(fd, bytes));
            EXPECT_TRUE(!closes || closed_by_peer(fd));
            close(fd);  // the client vanishes mid-request
            expect_good_session(sim);
        }
    }
}

TEST(Malformed, ReadsAreBoundedAndAClientThatStopsReadingBlocksNoOne) {
    vesksim_child sim({"--speed", "0", "--inputs", "32"});
    const int fd = raw_session(sim, 65536);
    ASSERT_EQ(raw_exchange(fd, VESK_CMD_STAGE_OUTPUT, VESK_STAGE_DATA, 0, 21, 1)->status, 0u);
    ASSERT_EQ(raw_exchange(fd, VESK_CMD_CONTROL_OUTPUT, VESK_OUTPUT_START)->status, 0u);
    // Blocks of 8 MiB: one reply holds up to 96 MiB of them.
    for (const auto &[asked, given] : {std::pair(7u, 7u), std::pair(13u, 12u)})
        EXPECT_EQ(raw_exchange(fd, VESK_CMD_READ_INPUT, 0xFFFFFFFF, asked).value().val3, given) << asked;
    // 16 MiB of captured blocks, more than the socket buffers hold, that
    // nobody reads, and a request behind them that waits without a busy loop.
    ASSERT_TRUE(raw_send_bytes(fd, frame(VESK_MAGIC, VESK_CMD_READ_INPUT, 0xFFFFFFFF, 2, 0, 0, 0)));
    ASSERT_TRUE(raw_send_bytes(fd, frame(VESK_MAGIC, VESK_CMD_QUERY, 0, 0, 0, 0, 0)));

    const int other = raw_connect(sim.port);
    EXPECT_EQ(raw_exchange(other, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64).value().text(),
              "Server is busy with another client");
    close(other);
    const auto used = cpu_time(sim.process.pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_LT(cpu_time(sim.process.pid) - used, std::chrono::milliseconds(100));
    close(fd);
    expect_good_session(sim);
}

TEST(Malformed, ClientThatReadsSlowlyGetsEveryReplyWholeAndInOrder) {
    vesksim_child sim({"--speed", "0"});
    const int fd = raw_session(sim, 16);
    // Echoes of 6 MiB each, all asked before any is read: far more than the
    // socket buffers hold, so the server must resume as the reader drains
    // them; then small ones, more than one round of reading answers.
    std::vector<std::vector<uint8_t>> payloads(40);
    std::vector<uint8_t> requests;
    for (size_t i = 0; i < payloads.size(); ++i) {
        std::mt19937 generator(static_cast<uint32_t>(i));
        payloads[i].assign(i < 3 ? 6 << 20 : 1, static_cast<uint8_t>(i));  // the small ones hold their number
        for (auto &byte : payloads[i]) byte = i < 3 ? static_cast<uint8_t>(generator()) : byte;
        const auto request = frame(VESK_MAGIC, VESK_CMD_LINK, 0, 0, 0, 0, payloads[i].size(), payloads[i]);
        requests.insert(requests.end(), request.begin(), request.end());
    }
    std::thread sender([&] { raw_send_bytes(fd, requests); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    [&] {
        for (size_t i = 0; i < payloads.size(); ++i) {
            SCOPED_TRACE(i);
            uint8_t head[VESK_HEADER_BYTES];
            ASSERT_TRUE(receive_all(fd, head, sizeof head));
            const auto reply = wire::decode_header(head);
            EXPECT_EQ(std::tuple(reply.magic, reply.status, reply.length),
                      std::tuple(VESK_MAGIC, VESK_STATUS_DATA, payloads[i].size()));
            std::vector<uint8_t> echoed(reply.length);
            for (size_t at = 0; at < echoed.size(); at += 64 << 10)
                ASSERT_TRUE(receive_all(fd, echoed.data() + at, std::min<size_t>(64 << 10, echoed.size() - at)));
            EXPECT_TRUE(echoed == payloads[i]);
        }
    }();
    shutdown(fd, SHUT_RDWR);  // frees a sender still blocked
    sender.join();
    close(fd);
}

TEST(Malformed, SixteenConnectionsAreServedAndTheNextIsClosed) {
    vesksim_child sim({"--speed", "0"});
    std::vector<int> open;
    auto served = [](int fd) {
        const auto reply = raw_exchange(fd, VESK_CMD_QUERY, VESK_QUERY_PLAYBACK);
        return reply && reply->text() == "Not connected: send CONNECT first";
    };
    for (int i = 0; i < 16; ++i) {
        open.push_back(raw_connect(sim.port));
        EXPECT_TRUE(served(open.back())) << i;
    }
    const int extra = raw_connect(sim.port);
    EXPECT_TRUE(closed_by_peer(extra));
    close(extra);
    for (int fd : open) EXPECT_TRUE(served(fd)) << "still open";
    for (int fd : open) close(fd);
    // A place comes free once the server has seen the hang-up, which it
    // does before it accepts again.
    expect_good_session(sim);
}

TEST(Malformed, RunningOutOfDescriptorsPausesAcceptingAndKeepsTheSession) {
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer runtimes need descriptors of their own (memory checks
    // go through a pipe), so a starved vesksim reports false faults.
    GTEST_SKIP() << "needs a vesksim built without sanitizers";
#endif
    vesksim_child sim({"--speed", "0"});
    auto client = connect_client(sim, 64);
    // Descriptors are limited to those below the lowest free one, so the
    // next connection waits in the backlog.
    const std::string fds = "/proc/" + std::to_string(sim.process.pid) + "/fd/";
    rlim_t lowest_free = 0;
    while (std::filesystem::exists(fds + std::to_string(lowest_free))) ++lowest_free;
    const rlimit limit{lowest_free, lowest_free};
    ASSERT_EQ(prlimit(sim.process.pid, RLIMIT_NOFILE, &limit, nullptr), 0);
    const int waiting = raw_connect(sim.port);

    const auto used = cpu_time(sim.process.pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto spent = cpu_time(sim.process.pid) - used;
    EXPECT_LT(spent, std::chrono::milliseconds(20)) << "it waits rather than spins";
    EXPECT_EQ(vesk_query(client.get(), VESK_QUERY_PLAYBACK, nullptr, nullptr, nullptr, nullptr), 0);

    client.reset();  // frees a descriptor, and the waiting client is served
    EXPECT_EQ(raw_exchange(waiting, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64).value().status, 0u);
    close(waiting);
}

// A descriptor limit cannot do it: the loader needs one too.
TEST(Malformed, NoSocketForTheListenerEndsWithTheReason) {
    temp_folder folder;
    int status = 0;
    bool filtered = false;
    std::thread starter([&] {  // socket() fails in this thread and in what it starts
        sock_filter filter[] = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
                                BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_socket, 0, 1),
                                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EMFILE),
                                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)};
        const sock_fprog socket_fails{4, filter};
        if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
            (filtered = prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &socket_fails) == 0))
            status = child_process(built_program("vesksim"), {"--listen", "127.0.0.1:0"}, {}, folder / "log")
                         .finish(std::chrono::seconds(5));
    });
    starter.join();
    if (!filtered) GTEST_SKIP() << "no system call filters here";
    EXPECT_EQ(exit_status(status), 1);
    EXPECT_EQ(text_of(folder / "log"), "vesksim: socket: Too many open files\n");
}

// The port of a server that ended with a client still connected is free for
// the next one at once; and, as under `vesksim --verbose 2>&1 | head`, a log
// nobody reads stops nothing.
TEST(Signals, RestartTakesThePortBackWithALogNobodyReads) {
    vesksim_child first;
    const int fd = raw_session(first, 16);
    ASSERT_EQ(first.stop(SIGTERM), 0);
    close(fd);
    vesksim_child second({"--listen", first.address(), "--speed", "0", "--verbose"}, true);
    EXPECT_EQ(second.port, first.port);
    expect_good_session(second);
}

TEST(Signals, EndTheServerCleanly) {
    // SIGTERM and SIGINT while idle, and while a session plays in real time.
    const std::pair<int, bool> cases[] = {
        {SIGTERM, false}, {SIGINT, false}, {SIGTERM, true}, {SIGINT, true}, {0, false}};
    for (const auto &[signal_number, playing] : cases) {  // 0: with --once, the session's end
        SCOPED_TRACE(testing::Message() << signal_number << (playing ? " playing" : ""));
        vesksim_child sim(signal_number ? std::vector<std::string>{} : std::vector<std::string>{"--once"});
        auto client = connect_client(sim, 64);
        if (playing) {
            ASSERT_EQ(vesk_stage_output(client.get(), VESK_STAGE_DATA, 0, nullptr, 100000, 1), 0);
            ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
        }
        if (signal_number == 0) {
            // A refused second client is no session: the first one goes on.
            int32_t refused = VESK_SUCCESS;
            connect_client(sim, 64, &refused);
            EXPECT_NE(refused, VESK_SUCCESS);
            EXPECT_EQ(vesk_query(client.get(), VESK_QUERY_PLAYBACK, nullptr, nullptr, nullptr, nullptr), 0);
            client.reset();
        }
        EXPECT_EQ(sim.stop(signal_number), 0);
        EXPECT_NE(access(sim.port_file.c_str(), F_OK), 0);  // the port file goes too
    }
}

}  // namespace
