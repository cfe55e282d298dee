#include "readiness.h"

#include <poll.h>

#include <cerrno>
#include <climits>

wait_budget start_budget(uint32_t timeout_ms) {
    return {timeout_ms == 0, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms)};
}

namespace {

int poll_timeout(const wait_budget &budget) {
    if (budget.unlimited) return -1;
    auto left = budget.deadline - std::chrono::steady_clock::now();
    if (left <= left.zero()) return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace

readiness wait_until_ready(int socket, direction way, const wait_budget &budget) {
    // Errors and hang-ups count as ready: the send, receive or SO_ERROR that
    // follows tells what happened. Urgent data is the exceptional condition.
    pollfd watched{socket, static_cast<short>((way == direction::sending ? POLLOUT : POLLIN) | POLLPRI), 0};
    // A signal for the caller cuts the wait short: wait again for the time left.
    int count;
    do {
        count = poll(&watched, 1, poll_timeout(budget));
    } while (count < 0 && errno == EINTR);
    if (count < 0) return readiness::failed;
    if (count == 0) return readiness::timed_out;
    if (watched.revents & POLLNVAL) {
        errno = EBADF;
        return readiness::failed;
    }
    if (watched.revents & POLLPRI) return readiness::exceptional;
    return readiness::ready;
}
