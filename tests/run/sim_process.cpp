#include "sim_process.h"

#include <fstream>
#include <stdexcept>
#include <thread>

namespace {

std::vector<std::string> sim_arguments(const std::filesystem::path &port_file,
                                       const std::vector<std::string> &options)
{
    std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--port-file", port_file.string()};
    args.insert(args.end(), options.begin(), options.end());
    return args;
}

}  // namespace

sim_process::sim_process(const std::vector<std::string> &options)
    : program(built_program("VESKSIM"), sim_arguments(folder / "port", options))
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (port == 0 && std::chrono::steady_clock::now() < deadline) {
        std::ifstream file(folder / "port");
        if (!(file >> port))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (port == 0)
        throw std::runtime_error("vesksim did not report its port");
}

std::string sim_process::address() const
{
    return "127.0.0.1:" + std::to_string(port);
}
