#include "server_loop.h"

#include "connection.h"
#include "describe.h"
#include "format_text.h"
#include "session.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vesksim {

namespace {

// More connections than this are closed as soon as they are accepted.
constexpr size_t max_connections = 16;
// A connection without the session that sends no request for this long, or
// any connection whose peer takes none of a reply for this long, is closed.
constexpr auto idle_limit = std::chrono::seconds(30);
// Bytes read from a socket at one go, and requests answered on one
// connection before the others get their turn.
constexpr size_t read_chunk = 1 << 20;
constexpr int requests_per_round = 16;
// How long the listening socket rests after the server runs out of file
// descriptors; polling it meanwhile would only spin.
constexpr auto accept_pause = std::chrono::milliseconds(100);

volatile sig_atomic_t stop_requested = 0;

void on_stop_signal(int) { stop_requested = 1; }

struct socket_connection {
    int fd = -1;
    connection framing;
    sim_clock::time_point last_progress;
};

void print_line(const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); }

std::string system_error(const char *what) { return format_text("vesksim: %s: %s", what, std::strerror(errno)); }

// bound: the address and port the socket was given, as the system says.
int open_listener(const sim_options &options, sockaddr_in &bound) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        print_line(system_error("socket"));
        return -1;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(options.listen_port);
    inet_pton(AF_INET, options.listen_address.c_str(), &address.sin_addr);
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        print_line(system_error(
            format_text("cannot listen on %s:%u", options.listen_address.c_str(), options.listen_port).c_str()));
        close(fd);
        return -1;
    }
    socklen_t size = sizeof address;
    if (listen(fd, 16) != 0 || getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) != 0) {
        print_line(system_error("listen"));
        close(fd);
        return -1;
    }
    bound = address;
    return fd;
}

// Written under a temporary name and renamed, so a reader never sees half a file.
bool write_port_file(const std::string &path, uint16_t port) {
    const std::string temporary = format_text("%s.%d.tmp", path.c_str(), static_cast<int>(getpid()));
    FILE *file = std::fopen(temporary.c_str(), "w");
    bool written = file && std::fprintf(file, "%u\n", port) > 0;
    if (file && std::fclose(file) != 0) written = false;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        print_line(system_error(format_text("cannot write %s", path.c_str()).c_str()));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void install_signal_handlers(sigset_t &wait_mask) {
    signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // The signals arrive only inside ppoll, so a stop is never missed
    // between the check of the flag and the wait.
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &wait_mask);
    sigdelset(&wait_mask, SIGINT);
    sigdelset(&wait_mask, SIGTERM);
}

struct loop_state {
    const sim_options &options;
    server_state server;
    std::vector<socket_connection> connections;
    uint64_t next_id = 1;
    bool session_ended = false;
    sim_clock::time_point accepting_from;
};

void accept_connections(loop_state &loop, int listener, sim_clock::time_point now) {
    for (;;) {
        const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                if (loop.options.verbose) print_line(system_error("accept, paused for a while"));
                loop.accepting_from = now + accept_pause;
            }
            return;  // else EAGAIN, or a connection that went away meanwhile
        }
        if (loop.connections.size() >= max_connections) {
            close(fd);
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        socket_connection added;
        added.fd = fd;
        added.framing.id = loop.next_id++;
        added.last_progress = now;
        if (loop.options.verbose) print_line(describe_event(added.framing.id, "connected"));
        loop.connections.push_back(std::move(added));
    }
}

void close_connection(loop_state &loop, socket_connection &c) {
    if (loop.options.verbose) print_line(describe_event(c.framing.id, "closed"));
    close(c.fd);
    c.fd = -1;
    if (end_connection(loop.server, c.framing.id)) loop.session_ended = true;
}

// Returns false when the connection is to close.
bool send_reply(socket_connection &c, sim_clock::time_point now) {
    while (c.framing.replying) {
        const auto pieces = unsent_reply(c.framing);
        iovec vectors[2];
        int count = 0;
        for (const auto &piece : pieces)
            if (!piece.empty()) vectors[count++] = {const_cast<uint8_t *>(piece.data()), piece.size()};
        msghdr message{};
        message.msg_iov = vectors;
        message.msg_iovlen = static_cast<size_t>(count);
        const ssize_t sent = sendmsg(c.fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        c.last_progress = now;
        if (reply_progress(c.framing, static_cast<uint64_t>(sent))) return false;
    }
    return true;
}

// Reads until the socket runs dry, so that a client that sends part of a
// request and hangs up is gone before anyone else's request is read.
// Returns false when the connection is to close.
bool receive_requests(loop_state &loop, socket_connection &c, std::vector<uint8_t> &buffer, sim_clock::time_point now) {
    for (int answered_count = 0; answered_count < requests_per_round;) {
        const uint64_t wanted = bytes_wanted(c.framing);
        if (wanted == 0) return true;
        const ssize_t got = recv(c.fd, buffer.data(), std::min<uint64_t>(wanted, buffer.size()), 0);
        if (got == 0) return false;
        if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        const auto answered =
            take_bytes(loop.server, c.framing, std::span<const uint8_t>(buffer.data(), static_cast<size_t>(got)), now);
        if (c.framing.broken) {
            if (loop.options.verbose) print_line(describe_event(c.framing.id, "sent a malformed request"));
            return false;
        }
        if (!answered) continue;
        ++answered_count;
        c.last_progress = now;
        if (loop.options.verbose) {
            print_line(describe_request(c.framing.id, *answered));
            print_line(describe_reply(c.framing));
        }
        if (!send_reply(c, now)) return false;
    }
    return true;
}

bool timed_out(const loop_state &loop, const socket_connection &c, sim_clock::time_point now) {
    if (now - c.last_progress < idle_limit) return false;
    const bool holds_session = loop.server.active && loop.server.active->connection == c.framing.id;
    return c.framing.replying || !holds_session;
}

}  // namespace

int run_server(const sim_options &options) {
    sigset_t wait_mask;
    install_signal_handlers(wait_mask);

    sockaddr_in bound{};
    const int listener = open_listener(options, bound);
    if (listener < 0) return 1;
    const uint16_t port = ntohs(bound.sin_port);
    if (!options.port_file.empty() && !write_port_file(options.port_file, port)) {
        close(listener);
        return 1;
    }
    char address[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &bound.sin_addr, address, sizeof address);
    if (options.verbose) print_line(format_text("vesksim: listening on %s:%u", address, port));

    loop_state loop{options, {make_device(options), std::nullopt}, {}, 1, false, {}};
    std::vector<uint8_t> buffer(read_chunk);
    std::vector<pollfd> polled;
    int status = 0;

    while (!stop_requested && !(options.once && loop.session_ended)) {
        const bool accepting = sim_clock::now() >= loop.accepting_from;
        polled.clear();
        polled.push_back({listener, static_cast<short>(accepting ? POLLIN : 0), 0});
        for (const auto &c : loop.connections) {
            short events = 0;
            if (bytes_wanted(c.framing) > 0) events |= POLLIN;
            if (c.framing.replying) events |= POLLOUT;
            polled.push_back({c.fd, events, 0});
        }
        const timespec housekeeping{1, 0};
        const timespec until_accepting{0, std::chrono::nanoseconds(accept_pause).count()};
        const int ready = ppoll(polled.data(), polled.size(), accepting ? &housekeeping : &until_accepting, &wait_mask);
        if (ready < 0 && errno != EINTR) {
            print_line(system_error("poll"));
            status = 1;
            break;
        }
        const auto now = sim_clock::now();
        for (size_t i = 0; i < loop.connections.size(); ++i) {
            socket_connection &c = loop.connections[i];
            const short revents = ready > 0 ? polled[i + 1].revents : 0;
            bool keep = true;
            if (revents & POLLOUT) keep = send_reply(c, now);
            if (keep && (revents & (POLLIN | POLLHUP | POLLERR))) {
                if (bytes_wanted(c.framing) > 0)
                    keep = receive_requests(loop, c, buffer, now);
                else
                    keep = !(revents & (POLLHUP | POLLERR));
            }
            if (keep && (revents & POLLNVAL)) keep = false;
            if (keep && timed_out(loop, c, now)) keep = false;
            if (!keep) close_connection(loop, c);
        }
        std::erase_if(loop.connections, [](const socket_connection &c) { return c.fd < 0; });
        if (ready > 0 && (polled[0].revents & POLLIN)) accept_connections(loop, listener, now);
    }

    for (auto &c : loop.connections) close_connection(loop, c);
    close(listener);
    if (!options.port_file.empty()) std::remove(options.port_file.c_str());
    return status;
}

}  // namespace vesksim
