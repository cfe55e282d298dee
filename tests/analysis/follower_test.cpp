#include <algorithm>
#include <climits>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "follower.h"
#include "millisecond_clock.h"

namespace {

using block = std::vector<int32_t>;

constexpr int32_t low = -1000;
constexpr int32_t high = 1000;

// A block that is low everywhere except for runs of high samples starting at
// the given positions.
block pulses(int32_t n, std::initializer_list<int32_t> starts, int32_t run = 10, int32_t lowest = low,
             int32_t highest = high) {
    block samples(static_cast<size_t>(n), lowest);
    for (int32_t start : starts)
        for (int32_t i = start; i < start + run && i < n; ++i) samples[static_cast<size_t>(i)] = highest;
    return samples;
}

// A block whose last samples go to full scale, where no crossing is looked for.
block full_scale_tail(int32_t last) {
    block samples = pulses(64, {10});
    for (int32_t i = 64 - last; i < 64; ++i) samples[static_cast<size_t>(i)] = INT32_MAX;
    return samples;
}

std::string printed_by(const std::vector<block> &blocks, uint32_t sample_rate) {
    setup_follower(sample_rate);
    testing::internal::CaptureStdout();
    for (const block &samples : blocks) analyze_block(static_cast<int32_t>(samples.size()), samples.data());
    cleanup_follower();
    return testing::internal::GetCapturedStdout();
}

// One line per crossing from the second on; the lock needs three of the last
// four intervals within 5 %. An interval across a block boundary counts only
// the examined positions, 64 - 3 per block here.
TEST(Follower, PrintsALineForEveryCrossingFromTheSecond) {
    const std::string small = ", 0% of full scale (0xFFFFFC18 to 0x000003E8)";
    const block tone = pulses(200, {24, 72, 120, 168}, 24);  // 1000 Hz at 48000 Hz
    std::vector<std::tuple<std::vector<block>, uint32_t, size_t, std::string>> cases = {
        {{tone}, 48000, 3, "input locked at 1000.000000 Hz" + small},
        {{tone}, 24000, 3, "input locked at 500.000000 Hz" + small},
        {{pulses(700, {10, 110, 210, 314})}, 48000, 3, "input locked at 473.684211 Hz" + small},
        {{pulses(700, {10, 110, 210, 315})}, 48000, 3, "input unlocked (3 intervals, 100..105)" + small},
        {{pulses(700, {10, 114, 214, 314})}, 48000, 3, "input locked at 473.684211 Hz" + small},
        // Only the last four crossings count: a long first interval drops out of the ring.
        {{pulses(700, {10, 300, 400, 500, 600})}, 48000, 4, "input locked at 480.000000 Hz" + small},
        {{pulses(64, {10}), pulses(64, {0})}, 48000, 1, "input unlocked (1 intervals, 51..51)" + small},
        // A tail never examined stays out of the extremes too.
        {{full_scale_tail(3), pulses(64, {0, 20})}, 48000, 1, "input unlocked (1 intervals, 71..71)" + small},
        {{full_scale_tail(1), pulses(64, {0, 20})}, 48000, 1, "input unlocked (1 intervals, 71..71)" + small},
        {{block(1024, 0), block(1024, 0)}, 48000, 0, ""},
        {{block(1024, 5), block(1024, INT32_MAX)}, 48000, 0, ""},
    };
    // The share of full scale is truncated to a whole percent.
    const std::tuple<int32_t, const char *> extremes[] = {
        {INT32_MAX, "100% of full scale (0x80000000 to 0x7FFFFFFF)"},
        {0x3FFFFF00, "49% of full scale (0xC0000100 to 0x3FFFFF00)"},
        {0x7FFFFF, "0% of full scale (0xFF800001 to 0x007FFFFF)"},
    };
    // A crossing is three negative samples and then three that are not: a
    // sample of the other sign among them (47..52 for the rise at 50) leaves
    // no crossing, or moves it a sample; a zero is not negative.
    for (const auto &[at, flipped, zeroed] : {std::tuple{46, "40..40", "40..40"},
                                              {47, "", ""},
                                              {48, "", ""},
                                              {49, "39..39", "39..39"},
                                              {50, "41..41", "40..40"},
                                              {51, "", "40..40"},
                                              {52, "", "40..40"},
                                              {53, "40..40", "40..40"}})
        for (bool zero : {false, true}) {
            block changed = pulses(100, {10, 50});
            changed[size_t(at)] = zero ? 0 : -changed[size_t(at)];
            const char *interval = zero ? zeroed : flipped;
            cases.push_back({{changed},
                             48000,
                             size_t(*interval != 0),
                             "input unlocked (1 intervals, " + std::string(interval) + ")" + small});
        }
    for (const auto &[peak, share] : extremes) {
        block swing = pulses(100, {10, 60}, 10, peak == INT32_MAX ? INT32_MIN : -peak, peak);
        swing[0] = 0;  // neither extreme on the first sample
        cases.push_back({{swing}, 48000, 1, std::string("input unlocked (1 intervals, 50..50), ") + share});
    }
    for (const auto &[blocks, rate, expected_lines, expected_last_line] : cases) {
        std::string printed = printed_by(blocks, rate);
        size_t lines = static_cast<size_t>(std::count(printed.begin(), printed.end(), '\n'));
        EXPECT_EQ(lines, expected_lines) << printed;
        std::string last_line = lines == 0 ? "" : printed.substr(printed.rfind('\n', printed.size() - 2) + 1);
        EXPECT_EQ(last_line, lines == 0 ? "" : expected_last_line + "\n") << printed;
    }
    // The history before the first block reads 0, which is not negative; a
    // set-up forgets the history of an earlier block.
    block negative_tail(64, low);
    analyze_block(64, negative_tail.data());
    EXPECT_EQ(printed_by({pulses(100, {0, 50})}, 48000), "");
}

TEST(MillisecondClock, CountsWholeMillisecondsBetweenTimes) {
    const std::tuple<timeval, timeval, uint32_t> cases[] = {
        {{10, 900000}, {12, 400000}, 1500}, {{10, 400000}, {11, 900000}, 1500}, {{10, 999}, {10, 1998}, 0},
        {{10, 500}, {11, 0}, 1000},   // a negative microsecond part truncates toward zero
        {{0, 0}, {4294968, 0}, 704},  // wraps after 2^32 ms
    };
    for (const auto &[from, to, milliseconds] : cases)
        EXPECT_EQ(milliseconds_between(from, to), milliseconds)
            << from.tv_sec << "." << from.tv_usec << " to " << to.tv_sec << "." << to.tv_usec;
}

TEST(MillisecondClock, StartsAtZeroOnTheFirstCallAndGrows) {
    EXPECT_EQ(tick(), 0u);
    usleep(20000);
    const uint32_t later = tick();
    EXPECT_GE(later, 20u);
    usleep(20000);
    EXPECT_GE(uint64_t{tick()}, uint64_t{later} + 20);
}

}  // namespace
