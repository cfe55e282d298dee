#include "sim_harness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace {

void put_be32(std::vector<uint8_t> &out, uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(word >> shift));
}

uint32_t get_be32(const uint8_t *p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool receive_all(int fd, uint8_t *into, size_t size) {
    while (size > 0) {
        const ssize_t got = recv(fd, into, size, 0);
        if (got <= 0) return false;
        into += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

void instance_closer::operator()(vesk_instance *instance) const {
    vesk_connect(instance, nullptr);
    vesk_shutdown(instance);
}

instance_ptr connect_client(const vesksim_child &sim, int32_t block_size, int32_t *result) {
    instance_ptr instance(vesk_init(0, nullptr));
    vesk_control(instance.get(), VESK_CONTROL_BLOCK_SIZE, block_size);
    const int32_t code = vesk_connect(instance.get(), sim.address().c_str());
    if (result != nullptr) *result = code;
    return instance;
}

int raw_connect(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval limit{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool raw_send_bytes(int fd, const std::vector<uint8_t> &bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::vector<uint8_t> frame(uint32_t magic, uint32_t command, uint32_t arg0, uint32_t arg1,
                           uint32_t arg2, uint32_t arg3, uint32_t length,
                           const std::vector<uint8_t> &payload) {
    std::vector<uint8_t> bytes;
    for (uint32_t word : {magic, command, arg0, arg1, arg2, arg3, length}) put_be32(bytes, word);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::optional<raw_reply> raw_receive(int fd) {
    uint8_t head[28];
    if (!receive_all(fd, head, sizeof head)) return std::nullopt;
    raw_reply reply{get_be32(head), get_be32(head + 4), get_be32(head + 8), get_be32(head + 12),
                    get_be32(head + 16), get_be32(head + 20), {}};
    reply.payload.resize(get_be32(head + 24));
    if (!receive_all(fd, reply.payload.data(), reply.payload.size())) return std::nullopt;
    return reply;
}

std::optional<raw_reply> raw_exchange(int fd, uint32_t command, uint32_t arg0, uint32_t arg1,
                                      uint32_t arg2, uint32_t arg3,
                                      const std::vector<uint8_t> &payload) {
    const auto bytes = frame(VESK_MAGIC, command, arg0, arg1, arg2, arg3,
                             static_cast<uint32_t>(payload.size()), payload);
    if (!raw_send_bytes(fd, bytes)) return std::nullopt;
    return raw_receive(fd);
}

int raw_session(const vesksim_child &sim, uint32_t block_size) {
    const int fd = raw_connect(sim.port);
    const auto hello = raw_exchange(fd, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, block_size);
    if (!hello || hello->status != 0) throw std::runtime_error("vesksim refused the session");
    return fd;
}

bool closed_by_peer(int fd) {
    pollfd polled{fd, POLLIN, 0};
    if (poll(&polled, 1, 5000) != 1) return false;
    uint8_t byte = 0;
    const ssize_t got = recv(fd, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}
