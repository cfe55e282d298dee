// Where the programs under test are.
#pragma once

#include <string>

// Path of a built program: the environment variable (VESKPLAY, VESKSIM) when
// set, else the one this build made.
std::string built_program(const char *variable);
