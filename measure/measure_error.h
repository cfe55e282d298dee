// Bad input: one line for the user, status 2.
#pragma once

#include <stdexcept>
#include <string>

struct measure_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};
