#include <ctime>

#include "follower.h"
#include "millisecond_clock.h"

namespace {

// The monotonic clock: a step of the wall clock cannot move an early stop.
bool started = false;
timeval first_tick_call{};

}  // namespace

uint32_t milliseconds_between(const timeval &from, const timeval &to) {
    // The microsecond difference may be negative; it truncates toward zero.
    int64_t milliseconds = (static_cast<int64_t>(to.tv_sec) - from.tv_sec) * 1000 +
                           (static_cast<int64_t>(to.tv_usec) - from.tv_usec) / 1000;
    return static_cast<uint32_t>(milliseconds);
}

uint32_t tick() {
    timespec clock{};
    clock_gettime(CLOCK_MONOTONIC, &clock);
    timeval now{clock.tv_sec, static_cast<suseconds_t>(clock.tv_nsec / 1000)};
    if (!started) {
        first_tick_call = now;
        started = true;
    }
    return milliseconds_between(first_tick_call, now);
}
