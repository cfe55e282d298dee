// The loopback keywords that -l accepts, in the order the usage text lists them.
#pragma once

#include <cstdint>

struct loopback_level {
    const char *keyword;
    int32_t value;  // as sent to the server
    const char *description;
};

constexpr int num_loopback_levels = 3;
extern const loopback_level loopback_levels[num_loopback_levels];

// The row whose keyword equals the text, letters compared without regard to
// case; null when none does (the caller reports it).
const loopback_level *loopback_by_tag(const char *keyword);

// The row with that value; null when none has it (the caller reports it).
const loopback_level *loopback_by_value(int32_t value);
