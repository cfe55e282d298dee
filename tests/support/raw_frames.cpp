#include "raw_frames.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

bool receive_all(int fd, uint8_t *into, size_t size) {
    return size == 0 || recv(fd, into, size, MSG_WAITALL) == static_cast<ssize_t>(size);
}

int raw_connect(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{
        .sin_family = AF_INET, .sin_port = htons(port), .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    timeval limit{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) return fd;
    close(fd);
    return -1;
}

bool raw_send_bytes(int fd, const std::vector<uint8_t> &bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::vector<uint8_t> frame(uint32_t magic, uint32_t command, uint32_t arg0, uint32_t arg1, uint32_t arg2, uint32_t arg3,
                           uint32_t length, const std::vector<uint8_t> &payload) {
    std::vector<uint8_t> bytes(wire::header_bytes);
    wire::encode_header({magic, command, arg0, arg1, arg2, arg3, length}, bytes.data());
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::optional<raw_reply> raw_exchange(int fd, uint32_t command, uint32_t arg0, uint32_t arg1, uint32_t arg2,
                                      uint32_t arg3, const std::vector<uint8_t> &payload) {
    uint8_t bytes[wire::header_bytes];
    if (!raw_send_bytes(
            fd, frame(VESK_MAGIC, command, arg0, arg1, arg2, arg3, static_cast<uint32_t>(payload.size()), payload)) ||
        !receive_all(fd, bytes, sizeof bytes))
        return std::nullopt;
    raw_reply reply{wire::decode_header(bytes), {}};
    reply.payload.resize(reply.length);
    if (!receive_all(fd, reply.payload.data(), reply.payload.size())) return std::nullopt;
    return reply;
}

bool closed_by_peer(int fd) {
    pollfd polled{fd, POLLIN, 0};
    if (poll(&polled, 1, 5000) != 1) return false;
    uint8_t byte = 0;
    const ssize_t got = recv(fd, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}
