// Waiting for a socket under a time budget on the monotonic clock.
#pragma once

#include <chrono>
#include <cstdint>

// One budget serves every wait for one buffer, so the time-out bounds their
// sum rather than each wait.
struct wait_budget {
    bool unlimited;
    std::chrono::steady_clock::time_point deadline;
};

wait_budget start_budget(uint32_t timeout_ms);  // 0: no limit

enum class readiness { ready, timed_out, exceptional, failed };
enum class direction { sending, receiving };

// A wait cut short by a signal goes on within the budget; failed leaves errno
// set by the wait.
readiness wait_until_ready(int socket, direction way, const wait_budget &budget);
