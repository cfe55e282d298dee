#include <climits>
#include <string>
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
block pulses(int32_t n, std::initializer_list<int32_t> starts, int32_t run = 10)
{
    block samples(static_cast<size_t>(n), low);
    for (int32_t start : starts)
        for (int32_t i = start; i < start + run && i < n; ++i)
            samples[static_cast<size_t>(i)] = high;
    return samples;
}

std::string printed_by(const std::vector<block> &blocks, uint32_t sample_rate = 48000)
{
    setup_follower(sample_rate);
    testing::internal::CaptureStdout();
    for (const block &samples : blocks)
        analyze_block(static_cast<int32_t>(samples.size()), samples.data());
    cleanup_follower();
    return testing::internal::GetCapturedStdout();
}

TEST(Follower, ToneLocksAtItsFrequencyAtTheRunsRateFromTheFourthCrossing)
{
    block tone(200);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = (i % 48) < 24 ? low : high;
    const std::string unlocked = "input unlocked (1 intervals, 48..48), 0% of full scale (0xFFFFFC18 to 0x000003E8)\n"
                                 "input unlocked (2 intervals, 48..48), 0% of full scale (0xFFFFFC18 to 0x000003E8)\n";
    EXPECT_EQ(printed_by({tone}),
              unlocked + "input locked at 1000.000000 Hz, 0% of full scale (0xFFFFFC18 to 0x000003E8)\n");
    EXPECT_EQ(printed_by({tone}, 24000),
              unlocked + "input locked at 500.000000 Hz, 0% of full scale (0xFFFFFC18 to 0x000003E8)\n");
}

TEST(Follower, LockNeedsThreeIntervalsWithinFour)
{
    const struct {
        std::initializer_list<int32_t> crossings;
        const char *last_line;
    } cases[] = {
        {{10, 110, 210, 314}, "input locked at 473.684211 Hz, 0% of full scale (0xFFFFFC18 to 0x000003E8)\n"},
        {{10, 110, 210, 315}, "input unlocked (3 intervals, 100..105), 0% of full scale (0xFFFFFC18 to 0x000003E8)\n"},
        {{10, 114, 214, 314}, "input locked at 473.684211 Hz, 0% of full scale (0xFFFFFC18 to 0x000003E8)\n"},
        // Only the last four crossings count: a long first interval drops out of the ring.
        {{10, 300, 400, 500, 600}, "input locked at 480.000000 Hz, 0% of full scale (0xFFFFFC18 to 0x000003E8)\n"},
    };
    for (const auto &test : cases) {
        std::string printed = printed_by({pulses(700, test.crossings)});
        std::string last_line = printed.substr(printed.rfind('\n', printed.size() - 2) + 1);
        EXPECT_EQ(last_line, test.last_line) << printed;
    }
}

TEST(Follower, LevelIsThePeakToPeakShareOfFullScale)
{
    const struct {
        int32_t lowest;
        int32_t highest;
        const char *level;
    } cases[] = {
        {INT32_MIN, INT32_MAX, "100% of full scale (0x80000000 to 0x7FFFFFFF)"},
        {-0x3FFFFF00, 0x3FFFFF00, "49% of full scale (0xC0000100 to 0x3FFFFF00)"},
        {-0x7FFFFF, 0x7FFFFF, "0% of full scale (0xFF800001 to 0x007FFFFF)"},
    };
    for (const auto &test : cases) {
        block samples = pulses(100, {10, 60});
        for (int32_t &sample : samples)
            sample = sample == low ? test.lowest : test.highest;
        EXPECT_EQ(printed_by({samples}), std::string("input unlocked (1 intervals, 50..50), ") + test.level + "\n");
    }
}

TEST(Follower, CrossingAtTheStartOfABlockUsesTheEndOfThePreviousOne)
{
    // The interval spans the boundary and counts only the examined positions:
    // 64 - 3 per block, so 64 - 10 - 3 here.
    block first = pulses(64, {10});
    block second = pulses(64, {0});
    EXPECT_EQ(printed_by({first, second}),
              "input unlocked (1 intervals, 51..51), 0% of full scale (0xFFFFFC18 to 0x000003E8)\n");
}

TEST(Follower, CrossingInTheLastThreeSamplesOfABlockIsNeverFound)
{
    for (int32_t last : {3, 2, 1}) {
        SCOPED_TRACE(last);
        // The block's tail goes to full scale: those samples are never examined, so
        // they stay out of the extremes too.
        block first = pulses(64, {10});
        for (int32_t i = 64 - last; i < 64; ++i)
            first[static_cast<size_t>(i)] = INT32_MAX;
        block second = pulses(64, {0, 20});
        second[0] = high;
        EXPECT_EQ(printed_by({first, second}),
                  "input unlocked (1 intervals, 71..71), 0% of full scale (0xFFFFFC18 to 0x000003E8)\n");
    }
}

TEST(Follower, NoLineWithoutTwoCrossings)
{
    // The history before the first block reads 0, which is not negative; a
    // set-up forgets the history of an earlier block.
    block negative_tail(64, low);
    analyze_block(64, negative_tail.data());
    EXPECT_EQ(printed_by({pulses(100, {0, 50})}), "");
    EXPECT_EQ(printed_by({block(1024, 0), block(1024, 0)}), "");
    EXPECT_EQ(printed_by({block(1024, 5), block(1024, INT32_MAX)}), "");
}

TEST(MillisecondClock, CountsWholeMillisecondsBetweenTimes)
{
    const struct {
        timeval from;
        timeval to;
        uint32_t milliseconds;
    } cases[] = {
        {{10, 900000}, {12, 400000}, 1500},
        {{10, 400000}, {11, 900000}, 1500},
        {{10, 999}, {10, 1998}, 0},
        {{10, 500}, {11, 0}, 1000},  // a negative microsecond part truncates toward zero
        {{0, 0}, {4294968, 0}, 704},  // wraps after 2^32 ms
    };
    for (const auto &test : cases)
        EXPECT_EQ(milliseconds_between(test.from, test.to), test.milliseconds)
            << test.from.tv_sec << "." << test.from.tv_usec << " to " << test.to.tv_sec << "." << test.to.tv_usec;
}

TEST(MillisecondClock, StartsAtZeroOnTheFirstCall)
{
    EXPECT_EQ(tick(), 0u);
    usleep(20000);
    EXPECT_GE(tick(), 20u);
}

}  // namespace
