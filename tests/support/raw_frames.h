// Raw frames on a plain blocking socket to 127.0.0.1, for what the library
// would never send. Every receive gives up after five seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frame.h"

struct raw_reply : wire::header {
    std::vector<uint8_t> payload;
    std::string text() const { return {payload.begin(), payload.end()}; }
};

int raw_connect(uint16_t port);  // the socket, or -1
// False when the peer closed, or the socket's receive time-out passed first.
bool receive_all(int fd, uint8_t *into, size_t size);
bool raw_send_bytes(int fd, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> frame(uint32_t magic, uint32_t command, uint32_t arg0, uint32_t arg1, uint32_t arg2, uint32_t arg3,
                           uint32_t length, const std::vector<uint8_t> &payload = {});
// Sends one request with the right magic and length; its reply.
std::optional<raw_reply> raw_exchange(int fd, uint32_t command, uint32_t arg0 = 0, uint32_t arg1 = 0, uint32_t arg2 = 0,
                                      uint32_t arg3 = 0, const std::vector<uint8_t> &payload = {});
// True when the peer closes the connection within a few seconds.
bool closed_by_peer(int fd);
