#include "wire.h"

#include "veskclient.h"

namespace vesksim {

uint32_t load_be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void store_be32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

header decode_header(std::span<const uint8_t> bytes) {
    const uint8_t* p = bytes.data();
    return {load_be32(p), load_be32(p + 4), load_be32(p + 8), load_be32(p + 12),
            load_be32(p + 16), load_be32(p + 20), load_be32(p + 24)};
}

void encode_header(const header& head, uint8_t* out) {
    const uint32_t words[7] = {head.magic, head.word1, head.arg0, head.arg1,
                               head.arg2, head.arg3, head.length};
    for (int i = 0; i < 7; ++i) store_be32(out + 4 * i, words[i]);
}

reply ordinary_reply(uint32_t val0, uint32_t val1, uint32_t val2, uint32_t val3) {
    return {{VESK_MAGIC, ordinary_status, val0, val1, val2, val3, 0}, {}, false};
}

reply error_reply(int32_t code, const std::string& text) {
    reply r{{VESK_MAGIC, VESK_STATUS_ERROR, static_cast<uint32_t>(code), 0, 0, 0, 0},
            payload_bytes(text.begin(), text.end()), false};
    r.head.length = static_cast<uint32_t>(r.payload.size());
    return r;
}

reply data_reply(payload_bytes payload, uint32_t val0, uint32_t val1, uint32_t val2,
                 uint32_t val3) {
    reply r{{VESK_MAGIC, VESK_STATUS_DATA, val0, val1, val2, val3, 0}, std::move(payload), false};
    r.head.length = static_cast<uint32_t>(r.payload.size());
    return r;
}

}  // namespace vesksim
