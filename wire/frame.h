// The frame of every request and reply: a 28-byte header of seven
// big-endian words, then `length` payload bytes.
#pragma once

#include <cstdint>

#include "veskclient.h"

namespace wire {

inline constexpr uint32_t header_bytes = VESK_HEADER_BYTES;

// The header in host order. Word 1 is the command of a request and the
// status of a reply; the four words after it its arguments or values.
struct header {
    uint32_t magic = 0;
    union {
        uint32_t command = 0;
        uint32_t status;
    };
    union {
        uint32_t arg0 = 0;
        uint32_t val0;
    };
    union {
        uint32_t arg1 = 0;
        uint32_t val1;
    };
    union {
        uint32_t arg2 = 0;
        uint32_t val2;
    };
    union {
        uint32_t arg3 = 0;
        uint32_t val3;
    };
    uint32_t length = 0;
};
static_assert(sizeof(header) == header_bytes);

uint32_t load_be32(const uint8_t *p);
void store_be32(uint8_t *p, uint32_t value);

header decode_header(const uint8_t *bytes);            // reads header_bytes
void encode_header(const header &head, uint8_t *out);  // writes header_bytes

}  // namespace wire
