#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace {

std::chrono::milliseconds time_left(std::chrono::steady_clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
}

}  // namespace

child_process::child_process(const std::string &program, const std::vector<std::string> &args,
                             const std::filesystem::path &work, const std::filesystem::path &error_file) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> words = {program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    pid = fork();
    if (pid == 0) {
        dup2(ends[1], STDOUT_FILENO);
        if (!error_file.empty()) {
            int error = open(error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(error, STDERR_FILENO);
        }
        // The child starts with the signals as a shell would leave them.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        if (!work.empty() && chdir(work.c_str()) != 0)
            _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        throw std::runtime_error("fork failed");
    }
    output_pipe = ends[0];
}

child_process::~child_process() {
    if (!ended && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (output_pipe >= 0)
        close(output_pipe);
}

bool child_process::read_some(std::chrono::milliseconds limit) {
    pollfd ready{output_pipe, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(limit.count())) <= 0)
        return true;
    char buffer[4096];
    ssize_t got = read(output_pipe, buffer, sizeof buffer);
    if (got <= 0)
        return false;
    text.append(buffer, static_cast<size_t>(got));
    return true;
}

bool child_process::wait_for_output(const std::string &wanted, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (text.find(wanted) == std::string::npos) {
        auto left = time_left(deadline);
        if (left.count() <= 0 || !read_some(left))
            return text.find(wanted) != std::string::npos;
    }
    return true;
}

void child_process::send(int signal_number) const {
    if (!ended && pid > 0)
        kill(pid, signal_number);
}

bool child_process::running() {
    if (!ended && waitpid(pid, &wait_status, WNOHANG) == pid)
        ended = true;
    return !ended;
}

int child_process::finish(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (auto left = time_left(deadline); left.count() > 0 && read_some(left); left = time_left(deadline)) {
    }
    // The output ends a moment before the child does.
    while (running() && time_left(deadline).count() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (ended)
        return wait_status;
    kill(pid, SIGKILL);
    waitpid(pid, &wait_status, 0);
    ended = true;
    return -1;
}

std::vector<std::string> child_process::lines() const {
    return lines_of(text);
}

int exit_status(int wait_status) {
    return wait_status != -1 && WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
}
