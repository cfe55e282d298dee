#include "vesksim_child.h"

#include <signal.h>

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <thread>

#include "built_program.h"
#include "text_lines.h"

using namespace std::chrono_literals;

// On an ephemeral port of 127.0.0.1, reported in port_file.
static std::vector<std::string> listening(const std::filesystem::path &port_file, std::vector<std::string> options) {
    options.insert(options.begin(), {"--listen", "127.0.0.1:0", "--port-file", port_file.string()});
    return options;
}

// Through bash, which opens the pipe, waits for its reader to end and then
// becomes vesksim.
static std::vector<std::string> with_log_unread(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"-c", "exec 2> >(exec true); wait $!; exec \"$0\" \"$@\"", built_program("vesksim")});
    return arguments;
}

vesksim_child::vesksim_child(const std::vector<std::string> &options, bool log_unread)
    : port_file(folder / "port"),
      process(log_unread ? "/bin/bash" : built_program("vesksim"),
              log_unread ? with_log_unread(listening(port_file, options)) : listening(port_file, options), {},
              folder / "log") {
    for (auto deadline = std::chrono::steady_clock::now() + 10s;
         port == 0 && std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(5ms)) {
        unsigned value = 0;
        if (std::ifstream(port_file) >> value) port = static_cast<uint16_t>(value);
    }
    if (port == 0) throw std::runtime_error("vesksim did not report its port: " + text_of(folder / "log"));
}

vesksim_child::~vesksim_child() {
    if (int status = stop(SIGTERM); status != 0)
        ADD_FAILURE() << "vesksim ended with status " << status << ":\n" << text_of(folder / "log");
}

std::string vesksim_child::address() const { return "127.0.0.1:" + std::to_string(port); }

int vesksim_child::stop(int signal_number) {
    process.send(signal_number);
    return exit_status(process.finish(5s));
}
