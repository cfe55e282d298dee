#include "built_program.h"

std::string built_program(const char *program) { return std::string(VESK_BUILT_PROGRAMS "/") + program; }
