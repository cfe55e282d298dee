// SIGINT and SIGTERM: mid-transfer they stop playback and lose no block;
// before output they end the run at the next step; a second signal ends the
// process at once; the process always ends by the signal it was sent.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <regex>
#include <thread>

#include "child_process.h"
#include "fake_device.h"
#include "program_run.h"
#include "vesksim_child.h"

namespace {

using namespace std::chrono_literals;

std::string interrupted_line(int signal_number)
{
    return signal_number == SIGTERM ? "Interrupted by SIGTERM" : "Interrupted by SIGINT";
}

bool died_by(int wait_status, int signal_number)
{
    return wait_status != -1 && WIFSIGNALED(wait_status) && WTERMSIG(wait_status) == signal_number;
}

// The "Wrote block N for channel 0" lines, in order.
std::vector<int> written_blocks(const std::vector<std::string> &lines)
{
    static const std::regex wrote("Wrote block ([0-9]+) for channel 0");
    std::vector<int> blocks;
    std::smatch match;
    for (const std::string &line : lines)
        if (std::regex_match(line, match, wrote))
            blocks.push_back(std::stoi(match[1]));
    return blocks;
}

std::vector<std::string> lines_after(const std::vector<std::string> &lines, const std::string &marker)
{
    auto at = std::find(lines.begin(), lines.end(), marker);
    return at == lines.end() ? std::vector<std::string>{} : std::vector<std::string>(at + 1, lines.end());
}

class MidTransfer : public testing::TestWithParam<int> {};

// At real-time speed the 400 data blocks take over 8 s, so the signal lands
// while output plays.
TEST_P(MidTransfer, StopsPlaybackAndKeepsEveryWrittenBlock)
{
    const int signal_number = GetParam();
    temp_folder work;
    vesksim_child sim({"--speed", "1", "--verbose"}, work / "vesksim.log");
    child_process play(built_program("VESKPLAY"), {"-a", sim.address(), "-c0", "cap.raw", "-b", "400"}, work.path);
    ASSERT_TRUE(play.wait_for_output("Wrote block 20 for channel 0\n", 30s)) << play.output();
    play.send(signal_number);
    int status = play.finish(30s);

    EXPECT_TRUE(died_by(status, signal_number)) << "wait status " << status;
    std::vector<std::string> lines = play.lines();
    std::vector<int> blocks = written_blocks(lines);
    ASSERT_GE(blocks.size(), 20u);
    EXPECT_LT(blocks.size(), 400u);
    EXPECT_EQ(blocks.back(), static_cast<int>(blocks.size()));
    EXPECT_EQ(read_file(work / "cap.raw").size(), blocks.size() * 1024 * 4);
    // The stop reached the server, so the codec halts within the wait.
    EXPECT_EQ(last_lines(lines_after(lines, interrupted_line(signal_number)), 3),
              (std::vector<std::string>{"Codec has halted", "Shutting down.", "Done."}));
    EXPECT_NE(sim.log().find("request CONTROL_OUTPUT (4) 0x00220000"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Interrupt, MidTransfer, testing::Values(SIGINT, SIGTERM));

struct before_output_case {
    const char *stage;
    std::function<bool(const fake::request &)> trigger;
    fake::reply (*reply)(const fake::request &);
    std::vector<uint32_t> commands_after;  // requests the run still makes, in order, from the trigger on
};

// A device that, on the case's trigger request, sends SIGINT to the program
// and answers half a second late, so the signal lands inside the library call.
fake_device signalling_device(const before_output_case &c, std::shared_ptr<std::atomic<pid_t>> program)
{
    fake_device device;
    device.reads.assign(200, nothing_ready());
    device.fault = [&c, program](const fake::request &r) -> std::optional<fake::reply> {
        if (!c.trigger(r))
            return std::nullopt;
        if (pid_t pid = program->load(); pid > 0)
            kill(pid, SIGINT);
        return fake::late(c.reply(r), 500ms);
    };
    return device;
}

bool is_query(const fake::request &r, uint32_t code) { return r.command == VESK_CMD_QUERY && r.arg0 == code; }

fake::reply channels_reply(const fake::request &) { return fake::ordinary(1, 1); }
fake::reply plain_reply(const fake::request &) { return fake::ordinary(); }

TEST(Interrupt, BeforeOutputEndsTheRunAtTheNextStep)
{
    const before_output_case cases[] = {
        {"connection set-up", [](const fake::request &r) { return is_query(r, VESK_QUERY_CHANNELS); }, channels_reply,
         {VESK_CMD_QUERY}},
        {"loopback", [](const fake::request &r) { return r.command == VESK_CMD_CONTROL && r.arg0 == VESK_CONTROL_LOOPBACK; },
         plain_reply, {VESK_CMD_CONTROL}},
        {"staging",
         [](const fake::request &r) { return r.command == VESK_CMD_STAGE_OUTPUT && r.arg0 == VESK_STAGE_RESET; },
         plain_reply, std::vector<uint32_t>(5, VESK_CMD_STAGE_OUTPUT)},
        // Output has started by the time the signal is seen: it is stopped.
        {"start of output",
         [](const fake::request &r) { return r.command == VESK_CMD_CONTROL_OUTPUT && r.arg0 == VESK_OUTPUT_START; },
         plain_reply, {VESK_CMD_CONTROL_OUTPUT, VESK_CMD_READ_INPUT, VESK_CMD_CONTROL_OUTPUT, VESK_CMD_QUERY}},
    };
    for (const before_output_case &c : cases) {
        SCOPED_TRACE(c.stage);
        auto program = std::make_shared<std::atomic<pid_t>>(0);
        fake::server server(device_script(signalling_device(c, program)));
        child_process play(built_program("VESKPLAY"), {"-a", server.address(), "-s", "16", "-b", "4"});
        program->store(play.pid);
        int status = play.finish(30s);

        EXPECT_TRUE(died_by(status, SIGINT)) << "wait status " << status << "\n" << play.output();
        std::vector<std::string> tail = lines_after(play.lines(), "Interrupted by SIGINT");
        ASSERT_GE(tail.size(), 2u) << play.output();
        EXPECT_EQ(last_lines(tail, 2), shutdown_lines);
        std::vector<fake::request> requests = server.requests();
        auto trigger = std::find_if(requests.begin(), requests.end(), c.trigger);
        std::vector<uint32_t> commands;
        for (auto r = trigger; r != requests.end(); ++r)
            commands.push_back(r->command);
        EXPECT_EQ(commands, c.commands_after);
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
    fake_device device;
    device.reads.assign(20, nothing_ready());
    fake::server server(device_script(device));
    child_process play("/bin/sh", {"-c", "trap '' INT; exec \"$0\" \"$@\"", built_program("VESKPLAY"), "-a",
                                   server.address(), "-s", "16", "-b", "4"});
    ASSERT_TRUE(play.wait_for_output("In progress.\n", 10s));
    play.send(SIGINT);
    int status = play.finish(30s);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    EXPECT_EQ(play.output().find("Interrupted"), std::string::npos);
    EXPECT_EQ(last_lines(play.lines(), 2), shutdown_lines);
}

}  // namespace
