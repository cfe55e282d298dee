#include "fake_server.h"

#include <arpa/inet.h>
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

namespace fake {

namespace {

// A request longer than this is not one our clients send; the server hangs up.
constexpr uint32_t largest_request_payload = 256u << 20;

void put_word(uint8_t *at, uint32_t word) {
    at[0] = static_cast<uint8_t>(word >> 24);
    at[1] = static_cast<uint8_t>(word >> 16);
    at[2] = static_cast<uint8_t>(word >> 8);
    at[3] = static_cast<uint8_t>(word);
}

uint32_t get_word(const uint8_t *at) {
    return (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) |
           uint32_t{at[3]};
}

std::vector<uint8_t> text_bytes(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

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

enum class io { done, closed, stopped };

// Waits for events on fd, or for stop().
io wait_for(server_state &s, int fd, short events) {
    pollfd fds[2] = {{fd, events, 0}, {s.stop_pipe[0], POLLIN, 0}};
    for (;;) {
        int n = poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return io::closed;
        if (fds[1].revents != 0) return io::stopped;
        return io::done;
    }
}

// False when stop() came first.
bool pause_for(server_state &s, std::chrono::milliseconds duration) {
    if (duration.count() <= 0) return true;
    pollfd stop{s.stop_pipe[0], POLLIN, 0};
    int n;
    do n = poll(&stop, 1, static_cast<int>(duration.count()));
    while (n < 0 && errno == EINTR);
    return n == 0;
}

io receive_all(server_state &s, int fd, uint8_t *buffer, std::size_t length) {
    while (length > 0) {
        io waited = wait_for(s, fd, POLLIN);
        if (waited != io::done) return waited;
        ssize_t n = recv(fd, buffer, length, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return io::closed;
        buffer += n;
        length -= static_cast<std::size_t>(n);
    }
    return io::done;
}

io send_all(server_state &s, int fd, const uint8_t *buffer, std::size_t length) {
    while (length > 0) {
        io waited = wait_for(s, fd, POLLOUT);
        if (waited != io::done) return waited;
        ssize_t n = send(fd, buffer, length, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return io::closed;
        buffer += n;
        length -= static_cast<std::size_t>(n);
    }
    return io::done;
}

std::vector<uint8_t> reply_bytes(const reply &r) {
    std::vector<uint8_t> bytes(VESK_HEADER_BYTES + r.payload.size());
    const uint32_t words[7] = {r.magic,
                               r.status,
                               r.val0,
                               r.val1,
                               r.val2,
                               r.val3,
                               r.length.value_or(static_cast<uint32_t>(r.payload.size()))};
    for (int i = 0; i < 7; ++i) put_word(&bytes[4 * i], words[i]);
    std::copy(r.payload.begin(), r.payload.end(), bytes.begin() + VESK_HEADER_BYTES);
    return bytes;
}

// False when the connection is to end.
bool answer(server_state &s, int fd, const reply &r) {
    if (!pause_for(s, r.delay)) return false;
    if (r.urgent) {
        const uint8_t mark = '!';
        if (send(fd, &mark, 1, MSG_OOB | MSG_NOSIGNAL) != 1) return false;
    }
    std::vector<uint8_t> bytes = reply_bytes(r);
    std::size_t piece = r.piece == 0 ? bytes.size() : r.piece;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        if (at != 0 && !pause_for(s, r.pause)) return false;
        std::size_t n = std::min(piece, bytes.size() - at);
        if (send_all(s, fd, bytes.data() + at, n) != io::done) return false;
    }
    return !r.close_after;
}

void serve_connection(server_state &s, int fd, int index) {
    for (;;) {
        uint8_t header[VESK_HEADER_BYTES];
        if (receive_all(s, fd, header, sizeof header) != io::done) return;
        request r;
        r.magic = get_word(header);
        r.command = get_word(header + 4);
        r.arg0 = get_word(header + 8);
        r.arg1 = get_word(header + 12);
        r.arg2 = get_word(header + 16);
        r.arg3 = get_word(header + 20);
        r.length = get_word(header + 24);
        r.connection = index;
        if (r.length > largest_request_payload) return;
        r.payload.resize(r.length);
        if (r.length != 0 && receive_all(s, fd, r.payload.data(), r.length) != io::done) return;

        script respond;
        {
            std::lock_guard<std::mutex> guard(s.lock);
            s.recorded.push_back(r);
            respond = s.current_script;
        }
        s.recorded_changed.notify_all();

        reply answer_to = respond(r);
        if (answer_to.kind == reply_kind::hang_up) return;
        if (answer_to.kind == reply_kind::reset) {
            linger abort_close{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort_close, sizeof abort_close);
            return;
        }
        if (answer_to.kind == reply_kind::silence) continue;
        if (!answer(s, fd, answer_to)) return;
    }
}

void run(server_state &s) {
    while (!s.stopping) {
        if (wait_for(s, s.listen_fd, POLLIN) != io::done) return;
        int fd = accept4(s.listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        int index;
        {
            std::lock_guard<std::mutex> guard(s.lock);
            index = s.accepted++;
        }
        serve_connection(s, fd, index);
        close(fd);
    }
}

}  // namespace

reply ordinary(uint32_t val0, uint32_t val1, uint32_t val2, uint32_t val3) {
    reply r;
    r.val0 = val0;
    r.val1 = val1;
    r.val2 = val2;
    r.val3 = val3;
    return r;
}

reply message(std::string_view text) {
    reply r;
    r.status = VESK_STATUS_MESSAGE;
    r.payload = text_bytes(text);
    return r;
}

reply error(int32_t code, std::string_view text) {
    reply r;
    r.status = VESK_STATUS_ERROR;
    r.val0 = static_cast<uint32_t>(code);
    r.payload = text_bytes(text);
    return r;
}

reply data(std::vector<uint8_t> bytes, uint32_t val0, uint32_t val1, uint32_t val2) {
    reply r = ordinary(val0, val1, val2);
    r.status = VESK_STATUS_DATA;
    r.payload = std::move(bytes);
    return r;
}

reply hang_up() {
    reply r;
    r.kind = reply_kind::hang_up;
    return r;
}

reply silence() {
    reply r;
    r.kind = reply_kind::silence;
    return r;
}

reply reset() {
    reply r;
    r.kind = reply_kind::reset;
    return r;
}

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
    r.magic = magic;
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

reply then_close(reply r) {
    r.close_after = true;
    return r;
}

reply answer_ordinary(const request &) { return ordinary(); }

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
    for (std::size_t i = 0; i < words.size(); ++i) put_word(&bytes[4 * i], words[i]);
    return bytes;
}

uint32_t payload_word(const request &r, std::size_t index) {
    if (4 * index + 4 > r.payload.size()) throw std::out_of_range("payload_word");
    return get_word(&r.payload[4 * index]);
}

server::server(script s) : state(std::make_unique<server_state>()) {
    state->current_script = std::move(s);
    if (pipe2(state->stop_pipe, O_CLOEXEC) != 0) throw std::runtime_error("fake server: pipe");
    state->listen_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (state->listen_fd < 0) throw std::runtime_error("fake server: socket");
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    where.sin_port = 0;
    socklen_t size = sizeof where;
    if (bind(state->listen_fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0 ||
        listen(state->listen_fd, 8) != 0 ||
        getsockname(state->listen_fd, reinterpret_cast<sockaddr *>(&where), &size) != 0)
        throw std::runtime_error(std::string("fake server: ") + std::strerror(errno));
    state->port = ntohs(where.sin_port);
    state->worker = std::thread(run, std::ref(*state));
}

server::~server() {
    stop();
    close(state->listen_fd);
    close(state->stop_pipe[0]);
    close(state->stop_pipe[1]);
}

void server::stop() {
    if (!state->worker.joinable()) return;
    state->stopping = true;
    const char wake = 1;
    (void)!write(state->stop_pipe[1], &wake, 1);
    state->worker.join();
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
