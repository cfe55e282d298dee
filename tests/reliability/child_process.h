// A program run as a child process whose output the test reads while it
// runs, so that it can be signalled at a chosen moment. The child is
// stopped by its pid when the test is done with it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

struct child_process {
    // Standard output comes back through output(); standard error goes to
    // error_file when one is given and is left as it is otherwise.
    child_process(const std::string &program, const std::vector<std::string> &args,
                  const std::filesystem::path &work = {}, const std::filesystem::path &error_file = {});
    ~child_process();
    child_process(const child_process &) = delete;
    child_process &operator=(const child_process &) = delete;

    // Reads output until it holds text, or the limit passes; true when it does.
    bool wait_for_output(const std::string &text, std::chrono::milliseconds limit);
    void send(int signal_number) const;
    bool running();
    // Reads the rest of the output and waits for the end, at most limit;
    // the raw wait status, or -1 when the child had to be killed.
    int finish(std::chrono::milliseconds limit);
    std::vector<std::string> lines() const;
    const std::string &output() const { return text; }

    pid_t pid = -1;

private:
    bool read_some(std::chrono::milliseconds limit);  // false at the end of the output
    int output_pipe = -1;
    std::string text;
    bool ended = false;
    int wait_status = -1;
};

// vesksim as a child on an ephemeral port of 127.0.0.1, with its standard
// error (one line per request with --verbose) in folder/vesksim.log.
struct sim_child {
    sim_child(const std::filesystem::path &folder, const std::vector<std::string> &options);
    std::string address() const { return "127.0.0.1:" + std::to_string(port); }
    std::string log() const;

    std::filesystem::path folder;
    child_process process;
    unsigned port = 0;
};
