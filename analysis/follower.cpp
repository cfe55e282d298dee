#include "follower.h"

#include <cstdio>
#include <string>

namespace {

constexpr int64_t lock_spread = 4;
constexpr int ring_size = 4;
constexpr int history_size = 3;

// Positions are 64-bit so that they never wrap within any realistic run;
// 0 in the ring marks a slot not yet filled.
struct follower_state {
    double sample_rate_hz = 48000.0;  // the run's, which turns periods into a frequency
    uint64_t absolute_sample = 0;
    int64_t rising_zero[ring_size] = {};
    int next_rising_zero = 0;  // the slot written next, which holds the oldest crossing
    int32_t highest_value = INT32_MIN;
    int32_t lowest_value = INT32_MAX;
    // Only the last three samples of the previous block are ever looked back at,
    // so they are all that is carried: nothing to allocate, nothing to fail.
    // Before the first block they read 0, which is not negative.
    int32_t history[history_size] = {};
};

follower_state follower;

struct interval_summary {
    int count = 0;
    int64_t minimum = 0x40000000;
    int64_t maximum = -1;
    int64_t sum = 0;
};

interval_summary measure_intervals() {
    interval_summary intervals;
    for (int j = 0; j < ring_size - 1; ++j) {
        int64_t older = follower.rising_zero[(follower.next_rising_zero + j) % ring_size];
        int64_t newer = follower.rising_zero[(follower.next_rising_zero + j + 1) % ring_size];
        if (older <= 0) continue;
        int64_t interval = newer - older;
        if (interval < intervals.minimum) intervals.minimum = interval;
        if (interval > intervals.maximum) intervals.maximum = interval;
        intervals.sum += interval;
        ++intervals.count;
    }
    return intervals;
}

// Peak-to-peak range of everything examined, as a percentage of full scale.
unsigned level_percent() {
    uint32_t range = static_cast<uint32_t>(follower.highest_value) - static_cast<uint32_t>(follower.lowest_value);
    return (range >> 24) * 100u / 255u;
}

std::string follower_line(const interval_summary &intervals) {
    char line[200];
    unsigned percent = level_percent();
    auto lowest = static_cast<unsigned>(follower.lowest_value);
    auto highest = static_cast<unsigned>(follower.highest_value);
    if (intervals.count == ring_size - 1 && intervals.maximum - intervals.minimum <= lock_spread) {
        double mean_period = static_cast<double>(intervals.sum) / intervals.count;
        std::snprintf(line, sizeof line, "input locked at %f Hz, %u%% of full scale (0x%08X to 0x%08X)\n",
                      1.0 / (mean_period / follower.sample_rate_hz), percent, lowest, highest);
    } else {
        std::snprintf(line, sizeof line,
                      "input unlocked (%d intervals, %lld..%lld), %u%% of full scale (0x%08X to 0x%08X)\n",
                      intervals.count, static_cast<long long>(intervals.minimum),
                      static_cast<long long>(intervals.maximum), percent, lowest, highest);
    }
    return line;
}

void print_line(const std::string &line) { std::fputs(line.c_str(), stdout); }

// Sample i of the stream seen from the current block: negative positions reach
// into the previous block's last three samples.
int32_t sample_at(const int32_t *samples, int32_t i) {
    return i >= 0 ? samples[i] : follower.history[history_size + i];
}

void record_crossing() {
    follower.rising_zero[follower.next_rising_zero] = static_cast<int64_t>(follower.absolute_sample);
    follower.next_rising_zero = (follower.next_rising_zero + 1) % ring_size;
    interval_summary intervals = measure_intervals();
    if (intervals.count > 0) print_line(follower_line(intervals));
}

}  // namespace

void setup_follower(uint32_t sample_rate) {
    follower = follower_state{};
    follower.sample_rate_hz = sample_rate;
}

void analyze_block(int32_t n, const int32_t *samples) {
    if (!samples || n < history_size) return;
    // Each position needs the two samples after it, so the last three are only history.
    for (int32_t i = 0; i + history_size <= n - 1; ++i) {
        int32_t x0 = samples[i];
        if (follower.absolute_sample == 0 || x0 > follower.highest_value) follower.highest_value = x0;
        if (follower.absolute_sample == 0 || x0 < follower.lowest_value) follower.lowest_value = x0;
        ++follower.absolute_sample;

        bool negative_before =
            sample_at(samples, i - 3) < 0 && sample_at(samples, i - 2) < 0 && sample_at(samples, i - 1) < 0;
        if (negative_before && x0 >= 0 && samples[i + 1] >= 0 && samples[i + 2] >= 0) record_crossing();
    }
    for (int k = 0; k < history_size; ++k) follower.history[k] = samples[n - history_size + k];
}

void cleanup_follower() {
    for (int32_t &sample : follower.history) sample = 0;
}
