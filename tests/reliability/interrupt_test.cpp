// SIGINT and SIGTERM: at any step they end the run through the shutdown, and
// mid-transfer they stop playback and lose no block; a second signal ends the
// process at once; the process always ends by the signal it was sent.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "whole_run.h"

namespace {

using namespace std::chrono_literals;
using lines = std::vector<std::string>;
using match = std::function<bool(const fake::request &)>;

bool died_by(int wait_status, int signal_number)
{
    return wait_status != -1 && WIFSIGNALED(wait_status) && WTERMSIG(wait_status) == signal_number;
}

match command(uint32_t code, uint32_t arg0)
{
    return [=](const fake::request &r) { return r.command == code && r.arg0 == arg0; };
}

match third_read()
{
    auto reads = std::make_shared<int>(0);
    return [=](const fake::request &r) { return r.command == VESK_CMD_READ_INPUT && ++*reads == 3; };
}

struct interrupt_case {
    const char *stage;
    int signal_number;
    match trigger;
    std::size_t opening;   // how many lines of the opening the run prints
    lines transcript_end;  // the lines after those
    lines requests_after;  // from the trigger on
    int file_blocks = 0;   // blocks in the capture file; -1: none made
};

// The device sends the signal when the trigger request comes and answers it
// half a second late, so the signal lands inside the library call.
TEST(Interrupt, EndsTheRunThroughTheShutdownAndByTheSignal)
{
    const std::string stop = "OUTPUT 0x220000 0 0 0 len=0", halt_query = "QUERY 0x2 0 0 0 len=0";
    const lines two_blocks = {"got 2 blocks from vesk_read_input (tag 0x00000003, sequence 0..1)",
                              "Wrote block 1 for channel 0", "Wrote block 2 for channel 0"};
    auto halted = [](const char *signal) { return lines{signal, "Codec has halted", "Shutting down.", "Done."}; };
    const interrupt_case cases[] = {
        {"connection set-up", SIGINT, command(VESK_CMD_QUERY, VESK_QUERY_CHANNELS), 1,
         concat({"Interrupted by SIGINT"}, shutdown_lines), {plain_requests[3]}, -1},
        {"loopback", SIGTERM, command(VESK_CMD_CONTROL, VESK_CONTROL_LOOPBACK), 4,
         concat({"Interrupted by SIGTERM"}, shutdown_lines), {plain_requests[4]}},
        {"staging", SIGINT, command(VESK_CMD_STAGE_OUTPUT, VESK_STAGE_RESET), 12,
         concat({"Interrupted by SIGINT"}, shutdown_lines),
         lines(plain_requests.begin() + 5, plain_requests.end() - 1)},
        // Output has started by the time the signal is seen: it is stopped.
        {"start of output", SIGINT, command(VESK_CMD_CONTROL_OUTPUT, VESK_OUTPUT_START), 13,
         halted("Interrupted by SIGINT"), {plain_requests.back(), "READ 0x1 0xa 0 0 len=0", stop, halt_query}},
        // No block is lost: what was read before the signal is in the file.
        {"mid-transfer", SIGINT, third_read(), 13, concat(two_blocks, halted("Interrupted by SIGINT")),
         {"READ 0x1 0xa 0 0 len=0", stop, halt_query}, 2},
        {"mid-transfer", SIGTERM, third_read(), 13, concat(two_blocks, halted("Interrupted by SIGTERM")),
         {"READ 0x1 0xa 0 0 len=0", stop, halt_query}, 2},
    };
    for (const interrupt_case &c : cases) {
        SCOPED_TRACE(std::string(c.stage) + " " + strsignal(c.signal_number));
        temp_folder work;
        fake_device device;
        device.reads = {nothing_ready(), captured_blocks(captured(0, 2, 1, 64), 3, 0)};
        device.reads.resize(200, nothing_ready());
        auto program = std::make_shared<std::atomic<pid_t>>(0);
        auto seen = std::make_shared<std::size_t>(0), fired_at = std::make_shared<std::size_t>(0);
        fake::script normal = device_script(device);
        fake::server server([&c, normal, program, seen, fired_at](const fake::request &r) {
            fake::reply reply = normal(r);
            if (++*seen, !c.trigger(r))
                return reply;
            *fired_at = *seen - 1;
            if (pid_t pid = program->load(); pid > 0)
                kill(pid, c.signal_number);
            return fake::late(reply, 500ms);
        });
        child_process play(built_program("VESKPLAY"), concat({"-a", server.address()}, plain_args), work.path);
        program->store(play.pid);
        int status = play.finish(30s);

        EXPECT_TRUE(died_by(status, c.signal_number)) << "wait status " << status;
        lines want = plain_opening(server.address());
        want.resize(c.opening);
        EXPECT_EQ(play.lines(), concat(want, c.transcript_end));
        lines requests = describe(server.requests());
        EXPECT_EQ(lines(requests.begin() + std::ptrdiff_t(*fired_at), requests.end()), c.requests_after);
        EXPECT_EQ(std::filesystem::exists(work / "cap.raw"), c.file_blocks >= 0);
        if (c.file_blocks >= 0) {
            EXPECT_EQ(read_file(work / "cap.raw"), host_order_bytes(captured(0, c.file_blocks, 1, 64)));
        }
    }
}

// With no time limits a stalled server would hold the run for ever: the
// second signal, of either kind, ends it at once.
TEST(Interrupt, SecondSignalEndsTheProcessAtOnce)
{
    for (int second : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(second);
        fake::server server([](const fake::request &) { return fake::silence(); });
        child_process play(built_program("VESKPLAY"), {"-a", server.address(), "-i"});
        ASSERT_TRUE(server.wait_for_requests(1, 10s));
        play.send(SIGINT);
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(play.running()) << "the first signal waits for the stalled call";
        play.send(second);
        EXPECT_TRUE(died_by(play.finish(10s), second));
    }
}

// A shell ignores SIGINT for the commands it starts in the background; the
// program keeps ignoring it there and runs to its end.
TEST(Interrupt, IgnoredSignalStaysIgnored)
{
    temp_folder work;
    fake_device device;
    device.reads.assign(20, nothing_ready());
    fake::server server(device_script(device));
    child_process play("/bin/sh", concat({"-c", "trap '' INT; exec \"$0\" \"$@\"", built_program("VESKPLAY"), "-a",
                                          server.address()}, plain_args), work.path);
    ASSERT_TRUE(play.wait_for_output("In progress.\n", 10s));
    play.send(SIGINT);
    EXPECT_EQ(exit_status(play.finish(30s)), 0);
    EXPECT_EQ(play.output().find("Interrupted"), std::string::npos);
    EXPECT_EQ(last_lines(play.lines(), 2), shutdown_lines);
}

}  // namespace
