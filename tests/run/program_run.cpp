#include "program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::vector<char *> argument_vector(const std::string &program, const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

int exit_status(int wait_status)
{
    return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
}

}  // namespace

std::vector<std::string> program_result::lines() const
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) {
            result.push_back(output.substr(start));
            break;
        }
        result.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

std::string built_program(const char *variable)
{
    const char *path = std::getenv(variable);
    if (path && *path)
        return path;
    return std::string(variable) == "VESKSIM" ? VESK_BUILT_VESKSIM : VESK_BUILT_VESKPLAY;
}

program_result run_program(const std::string &program, const std::vector<std::string> &args,
                           const std::filesystem::path &work, std::chrono::milliseconds limit)
{
    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<char *> argv = argument_vector(program, args);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipe_ends[1], STDOUT_FILENO);
        close(pipe_ends[0]);
        close(pipe_ends[1]);
        if (!work.empty() && chdir(work.c_str()) != 0)
            _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(pipe_ends[1]);

    program_result result;
    auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timed_out = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd ready{pipe_ends[0], POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            continue;
        ssize_t got = read(pipe_ends[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        result.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipe_ends[0]);
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    result.status = result.timed_out ? -1 : exit_status(wait_status);
    return result;
}

background_program::background_program(const std::string &program,
                                       const std::vector<std::string> &args)
{
    std::vector<char *> argv = argument_vector(program, args);
    pid = fork();
    if (pid == 0) {
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

background_program::~background_program()
{
    stop();
}

int background_program::stop()
{
    if (pid <= 0)
        return -1;
    kill(pid, SIGTERM);
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    pid = -1;
    return exit_status(wait_status);
}

temp_folder::temp_folder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "veskplay-run-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

temp_folder::~temp_folder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::vector<uint8_t> read_file(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::filesystem::path &file, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> host_order_bytes(const std::vector<int32_t> &samples)
{
    std::vector<uint8_t> bytes(samples.size() * sizeof(int32_t));
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

std::vector<std::string> last_lines(const std::vector<std::string> &lines, std::size_t count)
{
    if (lines.size() <= count)
        return lines;
    return {lines.end() - static_cast<std::ptrdiff_t>(count), lines.end()};
}
