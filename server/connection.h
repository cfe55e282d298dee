// Framing of one connection, without sockets: bytes come in, requests are
// cut out of them and answered, reply bytes wait to go out. Requests and
// replies alternate strictly, so a connection holds at most one request
// and one reply at a time.
#pragma once

#include "session.h"
#include "wire.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vesksim {

struct connection {
    uint64_t id = 0;
    std::vector<uint8_t> request;  // header, then payload, of the request being read
    std::array<uint8_t, wire::header_bytes> reply_head{};
    payload_bytes reply_payload;
    uint64_t reply_sent = 0;  // bytes of head and payload already sent
    bool replying = false;    // a reply is waiting to go out
    bool close_after_reply = false;
    bool broken = false;  // bad framing: close at once, no reply
};

// Bytes the connection will take now: the rest of the current request, or
// nothing while a reply waits or once it is broken.
uint64_t bytes_wanted(const connection &c);

// Takes bytes (at most bytes_wanted); once a request is whole it is answered
// and its header returned.
std::optional<header> take_bytes(server_state &server, connection &c, std::span<const uint8_t> bytes,
                                 sim_clock::time_point now);

// The reply bytes not yet sent, as up to two pieces.
std::array<std::span<const uint8_t>, 2> unsent_reply(const connection &c);

// Marks reply bytes as sent; returns true when the reply has gone out whole
// and the connection should now close.
bool reply_progress(connection &c, uint64_t sent);

}  // namespace vesksim
