#include "vesksim_child.h"

#include <signal.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "built_program.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::string> sim_arguments(const std::filesystem::path &port_file, const std::vector<std::string> &options) {
    std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--port-file", port_file.string()};
    args.insert(args.end(), options.begin(), options.end());
    return args;
}

}  // namespace

vesksim_child::vesksim_child(const std::vector<std::string> &options, const std::filesystem::path &log_file)
    : port_file(folder / "port"),
      error_log(log_file),
      process(built_program("VESKSIM"), sim_arguments(port_file, options), {}, log_file) {
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (port == 0 && std::chrono::steady_clock::now() < deadline) {
        std::ifstream file(port_file);
        unsigned value = 0;
        if (file >> value)
            port = static_cast<uint16_t>(value);
        else
            std::this_thread::sleep_for(5ms);
    }
    if (port == 0)
        throw std::runtime_error("vesksim did not report its port");
}

vesksim_child::~vesksim_child() {
    if (process.running())
        stop(SIGTERM);
}

std::string vesksim_child::address() const {
    return "127.0.0.1:" + std::to_string(port);
}

int vesksim_child::stop(int signal_number) {
    process.send(signal_number);
    return exit_status(process.finish(5s));
}

std::string vesksim_child::log() const {
    std::ifstream file(error_log);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
