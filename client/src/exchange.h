// The framed exchange: one request, then exactly one reply.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame.h"
#include "instance.h"
#include "readiness.h"

// The header of requests and replies, in host order.
using vesk_header = wire::header;

// Moves length bytes one way under one progress time-out budget. 0, or -3
// with the text set; only a failed wait closes the connection.
int32_t traffic(vesk_instance *instance, direction way, int socket, void *buffer, std::size_t length);

// One exchange. request: command, arguments and length in host order (its
// magic is not read); payload: length bytes, or null when length is 0.
// reply: the reply header in host order, or null; it is not written for an
// ERROR reply, whose code (possibly 0) is returned. capacity: in, the room in
// reply_buffer; out on success, the DATA bytes placed there (0 when none).
int32_t issue(vesk_instance *instance, const vesk_header &request, const void *payload, vesk_header *reply,
              void *reply_buffer, uint32_t *capacity);

// Whether issue() handed back a reply header that started out as vesk_header{}.
inline bool header_received(const vesk_header &reply) { return reply.magic == VESK_MAGIC; }
