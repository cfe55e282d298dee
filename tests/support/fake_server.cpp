#include "fake_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "byte_order.h"

namespace fake {

// A request longer than this is not one our clients send; the server hangs up.
constexpr uint32_t largest_request_payload = 256u << 20;

struct server_state {
    int listen_fd = -1;
    int stop_pipe[2] = {-1, -1};
    uint16_t port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex lock;
    mutable std::condition_variable recorded_changed;
    std::vector<request> recorded;
    int accepted = 0;
    script current_script;
    std::thread worker;
};

namespace {

// Waits for events on fd (none when fd is -1), at most limit ms (-1: no
// limit); false when stop() came first or the wait failed.
bool wait_for(server_state &s, int fd, short events, int limit = -1) {
    pollfd fds[2] = {{fd, events, 0}, {s.stop_pipe[0], POLLIN, 0}};
    int n;
    do n = poll(fds, 2, limit);
    while (n < 0 && errno == EINTR);
    return n >= 0 && fds[1].revents == 0;
}

// False when stop() came first.
bool pause_for(server_state &s, std::chrono::milliseconds duration) {
    return duration.count() <= 0 || wait_for(s, -1, 0, static_cast<int>(duration.count()));
}

// Moves length bytes one way; false when the peer closed or stop() came.
bool transfer(server_state &s, int fd, bool sending, uint8_t *buffer, std::size_t length) {
    while (length > 0) {
        if (!wait_for(s, fd, sending ? POLLOUT : POLLIN)) return false;
        ssize_t n = sending ? send(fd, buffer, length, MSG_NOSIGNAL) : recv(fd, buffer, length, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        buffer += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

// False when the connection is to end.
bool answer(server_state &s, int fd, const reply &r) {
    if (!pause_for(s, r.delay)) return false;
    if (r.urgent) {
        const uint8_t mark = '!';
        if (send(fd, &mark, 1, MSG_OOB | MSG_NOSIGNAL) != 1) return false;
    }
    std::vector<uint8_t> bytes(wire::header_bytes + r.payload.size());
    wire::header head = r.head;
    head.length = r.length.value_or(static_cast<uint32_t>(r.payload.size()));
    wire::encode_header(head, bytes.data());
    std::copy(r.payload.begin(), r.payload.end(), bytes.begin() + wire::header_bytes);
    std::size_t piece = r.piece == 0 ? bytes.size() : r.piece;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (at != 0 && !pause_for(s, r.pause)) return false;
        if (!transfer(s, fd, true, bytes.data() + at, std::min(piece, bytes.size() - at)))
            return false;
    }
    return !r.close_after;
}

void serve_connection(server_state &s, int fd) {
    for (;;) {
        uint8_t head[wire::header_bytes];
        if (!transfer(s, fd, false, head, sizeof head)) return;
        request r{wire::decode_header(head), {}};
        if (r.length > largest_request_payload) return;
        r.payload.resize(r.length);
        if (!transfer(s, fd, false, r.payload.data(), r.length)) return;

        script respond;
        {
            std::lock_guard<std::mutex> guard(s.lock);
            s.recorded.push_back(r);
            respond = s.current_script;
        }
        s.recorded_changed.notify_all();

        reply answer_to = respond ? respond(r) : ordinary();
        switch (answer_to.kind) {
        case reply_kind::hang_up: return;
        case reply_kind::reset: {
            linger abort_close{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort_close, sizeof abort_close);
            return;
        }
        case reply_kind::silence: continue;
        case reply_kind::answer:
            if (!answer(s, fd, answer_to)) return;
        }
    }
}

void run(server_state &s) {
    while (!s.stopping && wait_for(s, s.listen_fd, POLLIN)) {
        int fd = accept4(s.listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        {
            std::lock_guard<std::mutex> guard(s.lock);
            ++s.accepted;
        }
        serve_connection(s, fd);
        close(fd);
    }
}

reply with_status(uint32_t status, uint32_t val0, std::vector<uint8_t> payload) {
    reply r;
    r.head.status = status;
    r.head.val0 = val0;
    r.payload = std::move(payload);
    return r;
}

reply of_kind(reply_kind kind) {
    reply r;
    r.kind = kind;
    return r;
}

}  // namespace

reply ordinary(uint32_t val0, uint32_t val1, uint32_t val2, uint32_t val3) {
    reply r;
    r.head = {VESK_MAGIC, 0, val0, val1, val2, val3, 0};
    return r;
}

reply message(std::string_view text) {
    return with_status(VESK_STATUS_MESSAGE, 0, {text.begin(), text.end()});
}

reply error(int32_t code, std::string_view text) {
    return with_status(VESK_STATUS_ERROR, static_cast<uint32_t>(code), {text.begin(), text.end()});
}

reply data(std::vector<uint8_t> bytes, uint32_t val0, uint32_t val1, uint32_t val2) {
    reply r = ordinary(val0, val1, val2);
    r.head.status = VESK_STATUS_DATA;
    r.payload = std::move(bytes);
    return r;
}

reply hang_up() { return of_kind(reply_kind::hang_up); }

reply then_close(reply r) {
    r.close_after = true;
    return r;
}
reply silence() { return of_kind(reply_kind::silence); }
reply reset() { return of_kind(reply_kind::reset); }

reply late(reply r, std::chrono::milliseconds delay) {
    r.delay = delay;
    return r;
}

reply trickled(reply r, std::size_t piece, std::chrono::milliseconds pause) {
    r.piece = piece;
    r.pause = pause;
    return r;
}

reply with_magic(reply r, uint32_t magic) {
    r.head.magic = magic;
    return r;
}

reply with_length(reply r, uint32_t claimed_length) {
    r.length = claimed_length;
    return r;
}

reply urgent(reply r) {
    r.urgent = true;
    return r;
}

script in_order(std::vector<reply> replies) {
    auto list = std::make_shared<std::vector<reply>>(std::move(replies));
    auto next = std::make_shared<std::size_t>(0);
    return [list, next](const request &) {
        std::size_t at = (*next)++;
        return at < list->size() ? (*list)[at] : ordinary();
    };
}

std::vector<uint8_t> big_endian_words(const std::vector<uint32_t> &words) {
    std::vector<uint8_t> bytes(4 * words.size());
    wire::copy_to_big_endian(bytes.data(), words.data(), words.size());
    return bytes;
}

uint32_t payload_word(const request &r, std::size_t index) {
    if (4 * index + 4 > r.payload.size()) throw std::out_of_range("payload_word");
    return wire::load_be32(&r.payload[4 * index]);
}

server::server(script s) : state(std::make_unique<server_state>()) {
    state->current_script = std::move(s);
    if (pipe2(state->stop_pipe, O_CLOEXEC) != 0) throw std::runtime_error("fake server: pipe");
    state->listen_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof where;
    if (state->listen_fd < 0 ||
        bind(state->listen_fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0 ||
        listen(state->listen_fd, 8) != 0 ||
        getsockname(state->listen_fd, reinterpret_cast<sockaddr *>(&where), &size) != 0)
        throw std::runtime_error(std::string("fake server: ") + std::strerror(errno));
    state->port = ntohs(where.sin_port);
    state->worker = std::thread(run, std::ref(*state));
}

server::~server() {
    state->stopping = true;
    const char wake = 1;
    (void)!write(state->stop_pipe[1], &wake, 1);
    state->worker.join();
    close(state->listen_fd);
    close(state->stop_pipe[0]);
    close(state->stop_pipe[1]);
}

uint16_t server::port() const { return state->port; }

std::string server::address() const { return "127.0.0.1:" + std::to_string(state->port); }

void server::set_script(script s) {
    std::lock_guard<std::mutex> guard(state->lock);
    state->current_script = std::move(s);
}

std::vector<request> server::requests() const {
    std::lock_guard<std::mutex> guard(state->lock);
    return state->recorded;
}

int server::connections() const {
    std::lock_guard<std::mutex> guard(state->lock);
    return state->accepted;
}

bool server::wait_for_requests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> guard(state->lock);
    return state->recorded_changed.wait_for(guard, timeout,
                                            [&] { return state->recorded.size() >= count; });
}

}  // namespace fake
