#include "frame.h"

#include <array>

namespace wire {

uint32_t load_be32(const uint8_t *p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void store_be32(uint8_t *p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

header decode_header(const uint8_t *bytes) {
    header head;
    head.magic = load_be32(bytes);
    head.command = load_be32(bytes + 4);
    head.arg0 = load_be32(bytes + 8);
    head.arg1 = load_be32(bytes + 12);
    head.arg2 = load_be32(bytes + 16);
    head.arg3 = load_be32(bytes + 20);
    head.length = load_be32(bytes + 24);
    return head;
}

void encode_header(const header &head, uint8_t *out) {
    const std::array<uint32_t, 7> words = {head.magic, head.command, head.arg0,  head.arg1,
                                           head.arg2,  head.arg3,    head.length};
    for (uint32_t word : words) {
        store_be32(out, word);
        out += 4;
    }
}

}  // namespace wire
