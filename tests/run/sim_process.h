// vesksim as a child process on an ephemeral port of 127.0.0.1, stopped by
// its pid when the test is done with it.
#pragma once

#include <string>
#include <vector>

#include "program_run.h"

struct sim_process {
    explicit sim_process(const std::vector<std::string> &options);
    std::string address() const;  // "127.0.0.1:PORT"

    temp_folder folder;  // holds the port file
    background_program program;
    unsigned port = 0;
};
