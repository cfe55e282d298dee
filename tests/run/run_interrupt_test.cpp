// SIGINT and SIGTERM: at any step they end the run through the shutdown, and
// mid-transfer they stop playback and lose no block; a second signal ends the
// process at once; the process always ends by the signal it was sent.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "whole_run.h"

namespace {

using namespace std::chrono_literals;
using lines = std::vector<std::string>;
bool died_by(int wait_status, int signal_number) {
    return wait_status != -1 && WIFSIGNALED(wait_status) && WTERMSIG(wait_status) == signal_number;
}

// The device sends the signal when the trigger request (the nth of its kind)
// comes and answers it half a second late, so the signal lands inside the
// library call.
TEST(Interrupt, EndsTheRunThroughTheShutdownAndByTheSignal) {
    const std::string read = "READ 0x1 0xa 0 0 len=0", stop = "OUTPUT 0x220000 0 0 0 len=0",
                      halt_query = "QUERY 0x2 0 0 0 len=0";
    const lines two_blocks = {"got 2 blocks from vesk_read_input (tag 0x00000003, sequence 0..1)",
                              "Wrote block 1 for channel 0", "Wrote block 2 for channel 0"};
    const lines whole_stream = concat(
        two_blocks, {"got 1 blocks from vesk_read_input (tag 0x00000003, sequence 2..2)", "Wrote block 3 for channel 0",
                     "vesk_read_input: End of stream: End-of-stream indication from server"});
    const struct {
        int signal_number;
        std::size_t opening;   // how many lines of the opening the run prints
        lines transfer;        // the lines after the opening, before the interruption
        lines after;           // the lines between the interruption and the shutdown
        lines requests_after;  // from the trigger on
        int nth = 1;
        int file_blocks = 0;       // blocks in the capture file; -1: none made
        bool stream_ends = false;  // else it stalls once two blocks have come
    } cases[] = {
        {SIGINT, 1, {}, {}, {plain_requests[3]}, 1, -1},  // during the connection set-up
        {SIGTERM, 4, {}, {}, {plain_requests[4]}},        // loopback
        {SIGINT, 12, {}, {}, lines(plain_requests.begin() + 5, plain_requests.end() - 1)},  // staging
        // Output has started by the time the signal is seen: it is stopped.
        {SIGINT, 13, {}, {"Codec has halted"}, {plain_requests.back(), read, stop, halt_query}},
        // No block is lost mid-transfer: what was read before the signal is in the file.
        {SIGINT, 13, two_blocks, {"Codec has halted"}, {read, stop, halt_query}, 3, 2},
        // After the last block the run reports the signal as soon as it sees it.
        {SIGINT,
         13,
         whole_stream,
         {"Waiting for codec to stop playing", "Codec has halted"},
         {halt_query, halt_query},
         1,
         3,
         true},
    };
    for (const auto &c : cases) {
        const std::string name = c.signal_number == SIGINT ? "SIGINT" : "SIGTERM";
        SCOPED_TRACE(c.requests_after.front() + " " + name);
        temp_folder work;
        std::atomic<pid_t> program{0};
        auto seen = std::make_shared<int>(0);
        fake_device device{.reads = {nothing_ready(), captured_blocks(captured(0, 2, 1, 64), 3, 0)},
                           .fault = [&c, &program, seen](const fake::request &r) -> std::optional<fake::reply> {
                               if (describe(r) != c.requests_after.front() || ++*seen != c.nth) return std::nullopt;
                               if (pid_t pid = program.load(); pid > 0) kill(pid, c.signal_number);
                               return fake::late(r.command == VESK_CMD_QUERY ? fake::ordinary(1, 1) : fake::ordinary(),
                                                 500ms);
                           }};
        if (c.stream_ends)
            device.reads.push_back(captured_blocks(captured(2, 1, 1, 64), 3, 2));
        else
            device.reads.resize(200, nothing_ready());
        whole_run run = run_veskplay(device, plain_args, work.path, {}, &program);
        EXPECT_TRUE(died_by(run.wait_status, c.signal_number)) << "wait status " << run.wait_status;
        EXPECT_EQ(run.lines(), concat(concat(first_lines(plain_opening(run.address), c.opening), c.transfer),
                                      concat(concat({"Interrupted by " + name}, c.after), shutdown_lines)));
        EXPECT_EQ(last_lines(describe(run.requests), c.requests_after.size()), c.requests_after);
        EXPECT_EQ(std::filesystem::exists(work / "cap.raw"), c.file_blocks >= 0);
        if (c.file_blocks >= 0) {
            EXPECT_EQ(read_file(work / "cap.raw"), host_order_bytes(captured(0, c.file_blocks, 1, 64)));
        }
    }
}

// With no time limits (the library's own is 2 s) a stalled server would hold
// the run for ever: the second signal, of either kind, ends it at once.
TEST(Interrupt, SecondSignalEndsTheProcessAtOnce) {
    for (int second : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(second);
        fake::server server([](const fake::request &) { return fake::silence(); });
        child_process play(built_program("veskplay"), {"-a", server.address(), "-i"});
        ASSERT_TRUE(server.wait_for_requests(1, 10s));
        play.send(SIGINT);
        std::this_thread::sleep_for(second == SIGINT ? 2200ms : 300ms);
        EXPECT_TRUE(play.running()) << "the first signal waits for the stalled call";
        play.send(second);
        EXPECT_TRUE(died_by(play.finish(10s), second));
    }
}

// A shell ignores SIGINT for the commands it starts in the background; the
// program keeps ignoring it there and runs to its end.
TEST(Interrupt, IgnoredSignalStaysIgnored) {
    temp_folder work;
    std::atomic<pid_t> program{0};
    fake_device device{.fault = [&program](const fake::request &r) -> std::optional<fake::reply> {
        if (r.command == VESK_CMD_READ_INPUT && program.load() > 0) kill(program.load(), SIGINT);
        return std::nullopt;
    }};
    device.reads.assign(20, nothing_ready());
    device.reads.push_back(captured_blocks(captured(0, 3, 1, 64), 3, 0));
    whole_run run = run_veskplay(device, plain_args, work.path, "trap '' INT", &program);
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.output.find("Interrupted"), std::string::npos);
    EXPECT_EQ(last_lines(run.lines(), 2), shutdown_lines);
}

}  // namespace
