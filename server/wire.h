// Replies as vesksim makes them; the frame itself is the wire module's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device_facts.h"
#include "frame.h"

namespace vesksim {

// Largest request payload we accept: one STAGE_OUTPUT segment of 32
// channels at the largest block size. Anything longer ends the connection.
inline constexpr uint32_t max_request_payload = device::max_channels * VESK_MAX_BLOCK_SIZE * 4u;

// Status of a reply that is neither MESSAGE, ERROR nor DATA. Clients do not
// interpret it.
inline constexpr uint32_t ordinary_status = 0;

using header = wire::header;

// Payload bytes that a size alone makes are left unset rather than zeroed:
// every payload is written whole as soon as it is made, and clearing a
// large read's reply first would cost a good part of writing it. Bytes
// made from values are copied as usual.
template <typename T>
struct unset_allocator : std::allocator<T> {
    template <typename U>
    void construct(U *place) noexcept {
        ::new (static_cast<void *>(place)) U;
    }
};
using payload_bytes = std::vector<uint8_t, unset_allocator<uint8_t>>;

// head.magic and head.length are set when the reply is queued.
struct reply {
    header head;
    payload_bytes payload;
    bool close_after = false;  // hang up once the reply has gone out
};

reply ordinary_reply(uint32_t val0 = 0, uint32_t val1 = 0, uint32_t val2 = 0, uint32_t val3 = 0);
reply error_reply(int32_t code, const std::string &text);
reply data_reply(payload_bytes payload, uint32_t val0 = 0, uint32_t val1 = 0, uint32_t val2 = 0, uint32_t val3 = 0);

}  // namespace vesksim
