// The vectorised conversions give exactly what a plain loop gives.
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "byte_order.h"

namespace {

uint32_t big_endian_of(uint32_t word) {
    const auto *bytes = reinterpret_cast<const uint8_t *>(&word);
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
           bytes[3];
}

}  // namespace

TEST(ByteOrder, MatchesAPlainLoopForEveryLength) {
    std::mt19937 random(42);
    for (std::size_t count = 0; count <= 37; ++count) {
        std::vector<uint32_t> words(count + 1);
        for (uint32_t &w : words) w = random();
        // Start one word in, so the vector loads are not aligned.
        std::vector<uint32_t> copied(count + 1, 0xABABABAB);
        copy_to_big_endian(copied.data() + 1, words.data() + 1, count);
        std::vector<uint32_t> in_place(words.begin() + 1, words.end());
        to_big_endian(in_place.data(), count);
        std::vector<uint32_t> back(in_place);
        from_big_endian(back.data(), count);
        std::vector<uint32_t> as_24bit(in_place);
        from_big_endian_24bit(as_24bit.data(), count);

        std::vector<uint32_t> want_swapped(count), original(words.begin() + 1, words.end());
        for (std::size_t i = 0; i < count; ++i) want_swapped[i] = big_endian_of(words[i + 1]);
        std::vector<uint32_t> want_shifted(count);
        for (std::size_t i = 0; i < count; ++i)
            want_shifted[i] = uint32_t(int32_t(words[i + 1]) >> 8);

        EXPECT_EQ(std::vector<uint32_t>(copied.begin() + 1, copied.end()), want_swapped) << count;
        EXPECT_EQ(copied[0], 0xABABABABu);
        EXPECT_EQ(in_place, want_swapped) << count;
        EXPECT_EQ(back, original) << count;
        EXPECT_EQ(as_24bit, want_shifted) << count;
    }
}
