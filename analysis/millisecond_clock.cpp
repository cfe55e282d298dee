#include "follower.h"
#include "millisecond_clock.h"

namespace {

timeval first_tick_call{};  // seconds stay 0 until the first call

}  // namespace

uint32_t milliseconds_between(const timeval &from, const timeval &to)
{
    // The microsecond difference may be negative; it truncates toward zero.
    int64_t milliseconds = (static_cast<int64_t>(to.tv_sec) - from.tv_sec) * 1000 +
                           (static_cast<int64_t>(to.tv_usec) - from.tv_usec) / 1000;
    return static_cast<uint32_t>(milliseconds);
}

uint32_t tick()
{
    timeval now{};
    gettimeofday(&now, nullptr);
    if (first_tick_call.tv_sec == 0)
        first_tick_call = now;
    return milliseconds_between(first_tick_call, now);
}
