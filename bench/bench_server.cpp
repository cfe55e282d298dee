#include "bench_server.h"

#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>

#include "byte_order.h"
#include "pin_cpu.h"
#include "socket_io.h"
#include "veskclient.h"

int32_t capture_sample(size_t index) { return static_cast<int32_t>(static_cast<uint32_t>(index) * 2654435761u); }

static bool send_reply(int fd, const wire::header &reply, const void *payload) {
    uint8_t bytes[wire::header_bytes];
    wire::encode_header(reply, bytes);
    iovec parts[2] = {{bytes, wire::header_bytes}, {const_cast<void *>(payload), reply.length}};
    int first = 0;
    const int count = reply.length > 0 ? 2 : 1;
    while (first < count) {
        msghdr message{};
        message.msg_iov = parts + first;
        message.msg_iovlen = static_cast<size_t>(count - first);
        ssize_t sent = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        while (first < count && static_cast<size_t>(sent) >= parts[first].iov_len)
            sent -= static_cast<ssize_t>(parts[first++].iov_len);
        if (first < count) {
            parts[first].iov_base = static_cast<uint8_t *>(parts[first].iov_base) + sent;
            parts[first].iov_len -= static_cast<size_t>(sent);
        }
    }
    return true;
}

static bool drain_payload(int fd, std::vector<uint8_t> &scratch, size_t length) {
    while (length > 0) {
        const size_t part = std::min(length, scratch.size());
        if (!recv_all(fd, scratch.data(), part)) return false;
        length -= part;
    }
    return true;
}

static void serve_connection(const bench_server &server, int fd) {
    pin_to_bench_cpu();
    std::vector<uint8_t> scratch(std::max<size_t>(server.stage_bytes, 4096));
    const size_t capture_bytes = server.capture.size() * 4;
    uint32_t block_size = 0;
    uint32_t sequence = 0;
    uint8_t bytes[wire::header_bytes];
    while (recv_all(fd, bytes, wire::header_bytes)) {
        const wire::header request = wire::decode_header(bytes);
        if (request.magic != VESK_MAGIC || !drain_payload(fd, scratch, request.length)) break;
        wire::header reply;
        reply.magic = VESK_MAGIC;
        if (request.command == VESK_CMD_CONNECT) {
            block_size = request.arg1;
        } else if (request.command == VESK_CMD_READ_INPUT) {
            const size_t block_bytes = size_t{4} * block_size * std::popcount(request.arg0);
            const size_t blocks = block_bytes == 0 ? 0 : std::min<size_t>(request.arg1, capture_bytes / block_bytes);
            reply.status = VESK_STATUS_DATA;
            reply.arg1 = bench_capture_tag;
            reply.arg2 = sequence;
            reply.length = static_cast<uint32_t>(blocks * block_bytes);
            sequence += static_cast<uint32_t>(blocks);
        } else if (request.command == VESK_CMD_QUERY) {
            reply.arg0 = VESK_PLAYBACK_HALTED;
        }
        if (!send_reply(fd, reply, server.capture.data())) break;
    }
}

bool start_bench_server(bench_server &server, size_t capture_samples, size_t stage_bytes) {
    server.capture.resize(capture_samples);
    for (size_t i = 0; i < capture_samples; ++i) server.capture[i] = static_cast<uint32_t>(capture_sample(i));
    wire::to_big_endian(server.capture.data(), capture_samples);
    server.stage_bytes = stage_bytes;
    server.listen_fd = listen_loopback(&server.port);
    if (server.listen_fd < 0) return false;
    server.acceptor = std::thread([&server] {
        pin_to_bench_cpu();
        for (;;) {
            const int fd = accept4(server.listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) continue;
                return;  // the listener was shut down
            }
            server.session_fds.push_back(fd);
            server.sessions.emplace_back(serve_connection, std::cref(server), fd);
        }
    });
    return true;
}

void stop_bench_server(bench_server &server) {
    if (server.listen_fd < 0) return;
    shutdown(server.listen_fd, SHUT_RDWR);
    server.acceptor.join();
    close(server.listen_fd);
    server.listen_fd = -1;
    for (int fd : server.session_fds) shutdown(fd, SHUT_RDWR);
    for (std::thread &session : server.sessions) session.join();
    for (int fd : server.session_fds) close(fd);
    server.session_fds.clear();
    server.sessions.clear();
}
