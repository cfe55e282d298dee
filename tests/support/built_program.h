// Where the programs under test are.
#pragma once

#include <string>

// Path of a program this build made: "veskplay", "vesksim" or "veskmeasure".
std::string built_program(const char *program);
