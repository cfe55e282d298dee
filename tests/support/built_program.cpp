#include "built_program.h"

#include <cstdlib>

std::string built_program(const char *variable)
{
    const char *path = std::getenv(variable);
    if (path && *path)
        return path;
    return std::string(variable) == "VESKSIM" ? VESK_BUILT_VESKSIM : VESK_BUILT_VESKPLAY;
}
