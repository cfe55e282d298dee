// Bad input (status 1) or a file that cannot be written (status 2): one line
// for the user.
#pragma once

#include <stdexcept>
#include <string>

constexpr int usage_status = 1, io_status = 2;

struct gen_error : std::runtime_error {
    int status;
    gen_error(int status, const std::string &text) : std::runtime_error(text), status(status) {}
};
