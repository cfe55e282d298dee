#include "options.h"
#include "server_loop.h"

#include <cstdio>
#include <span>

int main(int argc, char **argv) {
    const auto parsed = vesksim::parse_options(std::span<const char *const>(argv + 1, static_cast<size_t>(argc - 1)));
    if (!parsed.options) {
        std::fprintf(stderr, "vesksim: %s\nTry 'vesksim --help'.\n", parsed.error.c_str());
        return 1;
    }
    if (parsed.options->help) {
        std::fputs(vesksim::usage_text().c_str(), stdout);
        return 0;
    }
    return vesksim::run_server(*parsed.options);
}
