#include "hardware_settings.h"

#include <cstdio>

int32_t parse_hardware_settings(const char *, uint32_t *, uint32_t *) { return 1; }
std::string format_hardware_settings(uint32_t, uint32_t) { return {}; }
void interpret_hardware_settings(uint32_t settings, uint32_t mask)
{
    std::fputs(format_hardware_settings(settings, mask).c_str(), stdout);
}
