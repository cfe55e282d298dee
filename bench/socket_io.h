// Blocking loopback sockets and the 28-byte header, shared by the in-process
// server and the raw baseline client.
#pragma once

#include <cstddef>
#include <cstdint>

// Host-order view of a request or reply header.
struct header_words {
    uint32_t magic = 0;
    uint32_t code = 0;  // command in a request, status in a reply
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    uint32_t arg2 = 0;
    uint32_t arg3 = 0;
    uint32_t length = 0;
};

constexpr size_t header_bytes = 28;

void pack_header(const header_words &header, uint8_t *bytes);
header_words unpack_header(const uint8_t *bytes);

bool send_all(int fd, const void *data, size_t size);
bool recv_all(int fd, void *data, size_t size);

// Listens on 127.0.0.1 on a port the system picks; returns the socket or -1.
int listen_loopback(uint16_t *port);
// Blocking connection to 127.0.0.1:port with Nagle off; returns the socket or -1.
int connect_loopback(uint16_t port);
