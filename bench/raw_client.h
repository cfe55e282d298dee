// The baseline: the same requests and replies as the library, framed the same
// way, moved by plain blocking send and recv.
#pragma once

#include <cstddef>
#include <cstdint>

#include "socket_io.h"

// Connects and makes the CONNECT handshake; returns the socket or -1.
int raw_connect(uint16_t port, uint32_t block_size);

// One exchange: request header and payload out, reply header in, then up to
// `capacity` bytes of a DATA reply into `data`. Returns the payload bytes
// received, or -1 on a broken connection or a reply without magic.
long raw_exchange(int fd, wire::header request, const void *payload, wire::header *reply, void *data, size_t capacity);
