#include "fake_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "byte_order.h"
#include "raw_frames.h"

namespace fake {

// A request longer than this is not one our clients send; the server hangs up.
constexpr uint32_t largest_request_payload = 256u << 20;

// One worker serves one connection at a time with blocking I/O; the
// destructor shuts the sockets down, which ends any read or write at once.
struct server_state {
    int listen_fd = -1;
    int connection = -1;  // the one being served
    uint16_t port = 0;
    bool stopping = false;
    mutable std::mutex lock;
    mutable std::condition_variable changed;  // a request recorded, or stopping
    std::vector<request> recorded;
    int accepted = 0;
    script current_script;
    std::thread worker;
};

namespace {

// True when the destructor came before the time was up.
bool stopped_during(server_state &s, std::chrono::milliseconds duration) {
    std::unique_lock guard(s.lock);
    return s.changed.wait_for(guard, duration, [&] { return s.stopping; });
}

// False when the connection is to end.
bool answer(server_state &s, int fd, const reply &r) {
    const uint8_t mark = '!';
    if (stopped_during(s, r.delay) || (r.urgent && send(fd, &mark, 1, MSG_OOB | MSG_NOSIGNAL) != 1)) return false;
    const wire::header &h = r.head;
    const std::vector<uint8_t> bytes = frame(h.magic, h.status, h.val0, h.val1, h.val2, h.val3,
                                             r.length.value_or(static_cast<uint32_t>(r.payload.size())), r.payload);
    const std::size_t piece = r.piece == 0 ? bytes.size() : r.piece;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::size_t size = std::min(piece, bytes.size() - at);
        if ((at != 0 && stopped_during(s, r.pause)) || send(fd, &bytes[at], size, MSG_NOSIGNAL) != ssize_t(size))
            return false;
    }
    return !r.close_after;
}

void serve_connection(server_state &s, int fd) {
    for (;;) {
        uint8_t head[wire::header_bytes];
        if (!receive_all(fd, head, sizeof head)) return;
        request r{wire::decode_header(head), {}};
        if (r.length > largest_request_payload) return;
        r.payload.resize(r.length);
        if (!receive_all(fd, r.payload.data(), r.length)) return;
        script respond;
        {
            std::lock_guard guard(s.lock);
            s.recorded.push_back(r);
            respond = s.current_script;
        }
        s.changed.notify_all();
        const reply to_send = respond ? respond(r) : ordinary();
        const linger abortive{1, 0};  // the peer sees a reset
        if (to_send.kind == reply_kind::reset) setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        if (to_send.kind != reply_kind::silence && (to_send.kind != reply_kind::answer || !answer(s, fd, to_send)))
            return;
    }
}

void run(server_state &s) {
    for (;;) {
        const int fd = accept4(s.listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
        {
            std::lock_guard guard(s.lock);
            if (fd >= 0 && s.stopping) close(fd);
            if (s.stopping) return;
            if (fd < 0) continue;
            ++s.accepted;
            s.connection = fd;
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        serve_connection(s, fd);
        std::lock_guard guard(s.lock);
        s.connection = -1;
        close(fd);
    }
}

reply with_payload(reply r, uint32_t status, std::vector<uint8_t> payload) {
    r.head.status = status;
    return with(r, &reply::payload, std::move(payload));
}

}  // namespace

reply message(std::string_view text) {
    return with_payload(ordinary(), VESK_STATUS_MESSAGE, {text.begin(), text.end()});
}
reply error(int32_t code, std::string_view text) {
    return with_payload(ordinary(static_cast<uint32_t>(code)), VESK_STATUS_ERROR, {text.begin(), text.end()});
}
reply data(std::vector<uint8_t> bytes, uint32_t val0, uint32_t val1, uint32_t val2) {
    return with_payload(ordinary(val0, val1, val2), VESK_STATUS_DATA, std::move(bytes));
}

script in_order(std::vector<reply> replies) {
    // The count is shared, as every copy of the script counts the same requests.
    return [replies, next = std::make_shared<std::size_t>(0)](const request &) {
        const std::size_t at = (*next)++;
        return at < replies.size() ? replies[at] : ordinary();
    };
}

std::vector<uint8_t> big_endian_words(const std::vector<uint32_t> &words) {
    std::vector<uint8_t> bytes(4 * words.size());
    wire::copy_to_big_endian(bytes.data(), words.data(), words.size());
    return bytes;
}

std::vector<int32_t> payload_samples(const request &r) {
    std::vector<int32_t> samples(r.payload.size() / 4);
    wire::copy_from_big_endian(reinterpret_cast<uint32_t *>(samples.data()), r.payload.data(), samples.size());
    return samples;
}

server::server(script s) : state(std::make_unique<server_state>()) {
    state->current_script = std::move(s);
    state->listen_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    socklen_t size = sizeof where;
    if (state->listen_fd < 0 || bind(state->listen_fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0 ||
        listen(state->listen_fd, 8) != 0 ||
        getsockname(state->listen_fd, reinterpret_cast<sockaddr *>(&where), &size) != 0)
        throw std::runtime_error(std::string("fake server: ") + std::strerror(errno));
    state->port = ntohs(where.sin_port);
    state->worker = std::thread(run, std::ref(*state));
}

server::~server() {
    {
        std::lock_guard guard(state->lock);
        state->stopping = true;
        shutdown(state->listen_fd, SHUT_RDWR);
        if (state->connection >= 0) shutdown(state->connection, SHUT_RDWR);
    }
    state->changed.notify_all();
    state->worker.join();
    close(state->listen_fd);
}

uint16_t server::port() const { return state->port; }
std::string server::address() const { return "127.0.0.1:" + std::to_string(state->port); }

// What the worker shares with the test's thread, under the lock.
void server::set_script(script s) {
    std::lock_guard guard(state->lock);
    state->current_script = std::move(s);
}
std::vector<request> server::requests() const {
    std::lock_guard guard(state->lock);
    return state->recorded;
}
int server::connections() const {
    std::lock_guard guard(state->lock);
    return state->accepted;
}

bool server::wait_for_requests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock guard(state->lock);
    return state->changed.wait_for(guard, timeout, [&] { return state->recorded.size() >= count; });
}

}  // namespace fake
