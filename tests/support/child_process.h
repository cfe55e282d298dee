// A program run as a child process whose standard output the test reads
// while it runs or once it has ended. The child is only ever signalled by
// its own pid; when the test is done with it, it gets SIGTERM and, when that
// does not end it within a few seconds, SIGKILL.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct child_process {
    // Runs program with args in folder work (when not empty). Standard output
    // comes back through output(); standard error goes to error_file when one
    // is given and is left as it is otherwise. With max_file_bytes, no file
    // of the child's grows beyond it: such a write fails with EFBIG. With
    // output_closed, standard output is a pipe nobody reads from.
    child_process(const std::string &program, const std::vector<std::string> &args,
                  const std::filesystem::path &work = {}, const std::filesystem::path &error_file = {},
                  uintmax_t max_file_bytes = 0, bool output_closed = false);
    ~child_process();
    child_process(const child_process &) = delete;
    child_process &operator=(const child_process &) = delete;

    void send(int signal_number) const;
    bool running();
    // Reads the rest of the output and waits for the end, at most limit;
    // the raw wait status, or -1 when the child had to be killed.
    int finish(std::chrono::milliseconds limit);
    const std::string &output() const { return text; }

    pid_t pid = -1;

private:
    // Reads what comes before the deadline; false at the end of the output
    // or once the deadline has passed.
    bool read_some(std::chrono::steady_clock::time_point deadline);
    int output_pipe = -1;
    std::string text;
    bool ended = false;
    int wait_status = -1;
};

// The exit status in a raw wait status; -1 when the child did not exit
// normally or had to be killed (finish gave -1).
int exit_status(int wait_status);
