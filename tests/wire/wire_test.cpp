// The frame's exact bytes, which the client, vesksim and the fake server all
// take from here (so only this test would see a fault in them), and the
// vectorised conversions against a plain loop.
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "byte_order.h"
#include "frame.h"

TEST(Frame, HeaderIsSevenBigEndianWordsInOrder) {
    const wire::header head{0x39FB443D, 0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10, 0x11121314, 0x15161718};
    std::vector<uint8_t> bytes(wire::header_bytes);
    wire::encode_header(head, bytes.data());
    std::vector<uint8_t> want = {0x39, 0xFB, 0x44, 0x3D};
    for (uint8_t b = 1; b <= 24; ++b) want.push_back(b);
    EXPECT_EQ(bytes, want);

    // Decoding is encoding's inverse.
    std::vector<uint8_t> again(wire::header_bytes);
    wire::encode_header(wire::decode_header(want.data()), again.data());
    EXPECT_EQ(again, want);
}

TEST(ByteOrder, MatchesAPlainLoopForEveryLength) {
    std::mt19937 random(42);
    for (std::size_t count = 0; count <= 37; ++count) {
        std::vector<uint32_t> words(count + 1);
        for (uint32_t &w : words) w = random();
        const std::vector<uint32_t> original(words.begin() + 1, words.end());
        std::vector<uint8_t> want_bytes(4 * count), want_masked(4 * count);
        std::vector<uint32_t> want_shifted(count);
        for (std::size_t i = 0; i < count; ++i) {
            wire::store_be32(&want_bytes[4 * i], original[i]);
            wire::store_be32(&want_masked[4 * i], original[i] & 0xFFFFFF00u);
            want_shifted[i] = uint32_t(int32_t(original[i]) >> 8);
        }

        // Start one byte or word in, so the vector loads are not aligned.
        std::vector<uint8_t> copied(4 * count + 1, 0xAB), masked(4 * count + 1);
        wire::copy_to_big_endian(copied.data() + 1, words.data() + 1, count);
        wire::copy_to_big_endian(masked.data() + 1, words.data() + 1, count, 0xFFFFFF00u);
        EXPECT_EQ(copied[0], 0xAB);
        EXPECT_EQ(std::vector<uint8_t>(copied.begin() + 1, copied.end()), want_bytes) << count;
        EXPECT_EQ(std::vector<uint8_t>(masked.begin() + 1, masked.end()), want_masked) << count;

        std::vector<uint32_t> read_back(count + 1);
        wire::copy_from_big_endian(read_back.data() + 1, copied.data() + 1, count);
        EXPECT_EQ(std::vector<uint32_t>(read_back.begin() + 1, read_back.end()), original) << count;

        std::vector<uint32_t> in_place(original);
        wire::to_big_endian(in_place.data(), count);
        EXPECT_TRUE(count == 0 || std::memcmp(in_place.data(), want_bytes.data(), want_bytes.size()) == 0) << count;
        std::vector<uint32_t> as_24bit(in_place);
        wire::from_big_endian(in_place.data(), count);
        EXPECT_EQ(in_place, original) << count;
        wire::from_big_endian_24bit(as_24bit.data(), count);
        EXPECT_EQ(as_24bit, want_shifted) << count;
    }
}
