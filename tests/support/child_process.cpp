#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

using std::chrono::steady_clock;

child_process::child_process(const std::string &program, const std::vector<std::string> &args,
                             const std::filesystem::path &work, const std::filesystem::path &error_file,
                             uintmax_t max_file_bytes, bool output_closed) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (output_closed) close(ends[0]), ends[0] = -1;
    std::vector<char *> argv = {const_cast<char *>(program.c_str())};  // execv changes none of them
    for (const std::string &word : args) argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);

    pid = fork();
    if (pid == 0) {
        dup2(ends[1], STDOUT_FILENO);
        if (!error_file.empty()) dup2(open(error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        // The child starts with the signals as a shell would leave them.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        if (max_file_bytes) {
            const rlimit limit{static_cast<rlim_t>(max_file_bytes), static_cast<rlim_t>(max_file_bytes)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
            signal(SIGXFSZ, SIG_IGN);  // kept across exec: the write fails rather than the child
        }
        if (work.empty() || chdir(work.c_str()) == 0) execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(ends[1]);
    output_pipe = ends[0];
    if (pid < 0) throw std::runtime_error("fork failed");
}

child_process::~child_process() {
    send(SIGTERM);  // a chance to end cleanly; SIGKILL when it does not
    finish(std::chrono::seconds(5));
    close(output_pipe);
}

bool child_process::read_some(steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
    pollfd ready{output_pipe, POLLIN, 0};
    if (output_pipe < 0 || left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    const ssize_t got = read(output_pipe, buffer, sizeof buffer);
    if (got > 0) text.append(buffer, static_cast<size_t>(got));
    return got > 0;
}

void child_process::send(int signal_number) const {
    if (!ended) kill(pid, signal_number);
}

bool child_process::running() {
    if (!ended && waitpid(pid, &wait_status, WNOHANG) == pid) ended = true;
    return !ended;
}

int child_process::finish(std::chrono::milliseconds limit) {
    const auto deadline = steady_clock::now() + limit;
    while (read_some(deadline)) {}
    // The output ends a moment before the child does.
    while (running() && steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (ended) return wait_status;
    kill(pid, SIGKILL);
    waitpid(pid, &wait_status, 0);
    ended = true;
    return -1;
}

int exit_status(int wait_status) { return wait_status != -1 && WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1; }
