#include "built_program.h"

std::string built_program(const char *program) {
    return std::string(program) == "VESKSIM" ? VESK_BUILT_VESKSIM : VESK_BUILT_VESKPLAY;
}
