// Framing of requests and replies: a 28-byte header of seven big-endian
// words, then `length` payload bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vesksim {

// Largest request payload we accept: one STAGE_OUTPUT segment of 32
// channels at the largest block size. Anything longer ends the connection.
inline constexpr uint32_t max_request_payload = 32u * 65536u * 4u;

// Status of a reply that is neither MESSAGE, ERROR nor DATA. Clients do not
// interpret it.
inline constexpr uint32_t ordinary_status = 0;

struct header {
    uint32_t magic = 0;
    uint32_t word1 = 0;  // command of a request, status of a reply
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    uint32_t arg2 = 0;
    uint32_t arg3 = 0;
    uint32_t length = 0;
};

// Payload bytes that a size alone makes are left unset rather than zeroed:
// every payload is written whole as soon as it is made, and clearing a
// large read's reply first would cost a good part of writing it. Bytes
// made from values are copied as usual.
template <typename T>
struct unset_allocator : std::allocator<T> {
    template <typename U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
};
using payload_bytes = std::vector<uint8_t, unset_allocator<uint8_t>>;

struct reply {
    header head;
    payload_bytes payload;
    bool close_after = false;  // hang up once the reply has gone out
};

header decode_header(std::span<const uint8_t> bytes);  // needs 28 bytes
void encode_header(const header& head, uint8_t* out);  // writes 28 bytes

uint32_t load_be32(const uint8_t* p);
void store_be32(uint8_t* p, uint32_t value);

reply ordinary_reply(uint32_t val0 = 0, uint32_t val1 = 0, uint32_t val2 = 0,
                     uint32_t val3 = 0);
reply error_reply(int32_t code, const std::string& text);
reply data_reply(payload_bytes payload, uint32_t val0 = 0, uint32_t val1 = 0,
                 uint32_t val2 = 0, uint32_t val3 = 0);

}  // namespace vesksim
