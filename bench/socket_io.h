// Blocking loopback sockets, shared by the in-process server and the raw
// baseline client.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame.h"

bool send_all(int fd, const void *data, size_t size);
bool recv_all(int fd, void *data, size_t size);

// Listens on 127.0.0.1 on a port the system picks; returns the socket or -1.
int listen_loopback(uint16_t *port);
// Blocking connection to 127.0.0.1:port with Nagle off; returns the socket or -1.
int connect_loopback(uint16_t port);
