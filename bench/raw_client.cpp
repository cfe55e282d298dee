#include "raw_client.h"

#include <unistd.h>

#include <algorithm>

#include "veskclient.h"

int raw_connect(uint16_t port, uint32_t block_size) {
    const int fd = connect_loopback(port);
    if (fd < 0) return -1;
    wire::header connect_request;
    connect_request.command = VESK_CMD_CONNECT;
    connect_request.arg0 = VESK_PROTOCOL_VERSION;
    connect_request.arg1 = block_size;
    wire::header reply;
    if (raw_exchange(fd, connect_request, nullptr, &reply, nullptr, 0) < 0) {
        close(fd);
        return -1;
    }
    return fd;
}

long raw_exchange(int fd, wire::header request, const void *payload, wire::header *reply, void *data, size_t capacity) {
    uint8_t bytes[wire::header_bytes];
    request.magic = VESK_MAGIC;
    wire::encode_header(request, bytes);
    if (!send_all(fd, bytes, wire::header_bytes)) return -1;
    if (request.length > 0 && !send_all(fd, payload, request.length)) return -1;
    if (!recv_all(fd, bytes, wire::header_bytes)) return -1;
    *reply = wire::decode_header(bytes);
    if (reply->magic != VESK_MAGIC) return -1;
    if (reply->status != VESK_STATUS_DATA || data == nullptr) return 0;
    const size_t received = std::min<size_t>(capacity, reply->length);
    if (!recv_all(fd, data, received)) return -1;
    return static_cast<long>(received);
}
