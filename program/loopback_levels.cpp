#include "loopback_levels.h"

#include <strings.h>

const loopback_level loopback_levels[num_loopback_levels] = {
    {"none", 0, "No loopback"},
    {"server", 2, "Loopback within server software"},
    {"i2s", 1, "Loopback on 1-bit digital path to codec"},
};

const loopback_level *loopback_by_tag(const char *keyword) {
    for (const loopback_level &level : loopback_levels)
        if (strcasecmp(level.keyword, keyword) == 0) return &level;
    return nullptr;
}

const loopback_level *loopback_by_value(int32_t value) {
    for (const loopback_level &level : loopback_levels)
        if (level.value == value) return &level;
    return nullptr;
}
