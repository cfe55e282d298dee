// vesk_read_input.
#include "client_test_support.h"

#include <cstring>

namespace {

struct read_result {
    int32_t code;
    uint32_t blocks;
    uint32_t tag;
    uint32_t sequence;
    std::string text;
};

constexpr uint32_t untouched = 0xEEEEEEEE;

read_result read(connected_client &client, uint32_t mask, std::vector<int32_t> &buffer,
                 uint32_t blocks, uint32_t flags = 0) {
    read_result r{0, blocks, untouched, untouched, ""};
    r.code =
        vesk_read_input(client.get(), mask, buffer.data(), &r.blocks, flags, &r.tag, &r.sequence);
    r.text = client.text();
    return r;
}

std::vector<uint8_t> counting_words(uint32_t count) {
    std::vector<uint32_t> words(count);
    for (uint32_t i = 0; i < count; ++i) words[i] = 0x01000000u * (i % 200) + i;
    return fake::big_endian_words(words);
}

}  // namespace

TEST(ReadInput, ArgumentChecksKeepTheCount) {
    instance_ptr instance = new_instance();
    vesk_instance *i = instance.get();
    vesk_control(i, VESK_CONTROL_BLOCK_SIZE, 65536);
    int32_t buffer[4];
    uint32_t zero = 0;
    EXPECT_EQ(vesk_read_input(i, 1, buffer, nullptr, 0, nullptr, nullptr), VESK_INVALID_ARGUMENT);
    EXPECT_STREQ(vesk_errtext(i), "Must specify block count");
    EXPECT_EQ(vesk_read_input(i, 1, buffer, &zero, 0, nullptr, nullptr), VESK_INVALID_ARGUMENT);
    EXPECT_STREQ(vesk_errtext(i), "Must specify non-zero block count");
    struct row {
        uint32_t mask;
        int32_t *buffer;
        uint32_t blocks;
        const char *text;
    } table[] = {
        {1, nullptr, 10, "Result buffer pointer cannot be NULL"},
        {0, buffer, 10, "Channel mask must select at least one channel"},
        {0xFFFFFFFF, buffer, 512,
         "512 blocks of 32 channels of 65536 samples need 4294967296 bytes, more than one read can "
         "carry"},
    };
    for (const row &r : table) {
        uint32_t blocks = r.blocks;
        EXPECT_EQ(vesk_read_input(i, r.mask, r.buffer, &blocks, 0, nullptr, nullptr),
                  VESK_INVALID_ARGUMENT);
        EXPECT_STREQ(vesk_errtext(i), r.text);
        EXPECT_EQ(blocks, r.blocks);
    }
    uint32_t blocks = 10;
    EXPECT_EQ(vesk_read_input(i, 0xFFFFFFFF, buffer, &blocks, 0, nullptr, nullptr),
              VESK_SERVER_STATE)
        << "the largest read of the program fits";
    EXPECT_EQ(blocks, 0u);
}

TEST(ReadInput, WholeBlocksInHostOrder) {
    connected_client client;
    std::vector<uint8_t> three_blocks = counting_words(3 * 16);
    client.answer({fake::data(three_blocks, 0, 5, 7)});
    std::vector<int32_t> buffer(10 * 16, -1);
    read_result r = read(client, 0x1, buffer, 10, 0xFFFFFFFF & ~VESK_INPUT_24BIT);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.blocks, 3u);
    EXPECT_EQ(r.tag, 5u);
    EXPECT_EQ(r.sequence, 7u);
    EXPECT_EQ(r.text, "Returned 3 blocks (tag 0x00000005, sequence 7)");
    for (uint32_t i = 0; i < 48; ++i) ASSERT_EQ(uint32_t(buffer[i]), 0x01000000u * i + i) << i;
    EXPECT_EQ(buffer[48], -1);

    fake::request seen = client.requests().at(0);
    EXPECT_EQ(seen.command, VESK_CMD_READ_INPUT);
    EXPECT_EQ(seen.arg0, 0x1u);
    EXPECT_EQ(seen.arg1, 10u);
    EXPECT_EQ(seen.arg2, VESK_INPUT_SERVER_BITS) << "only the server's bits go out";
    EXPECT_EQ(seen.arg3 | seen.length, 0u);
}

TEST(ReadInput, RepliesWithoutWholeBlocks) {
    struct row {
        const char *what;
        fake::reply reply;
        int32_t code;
        uint32_t tag;
        const char *text;
    } table[] = {
        {"partial block", fake::data(counting_words(50), 0, 3, 4), -3, untouched,
         "Received 200 bytes of data, which is not a multiple of 4 x block size (16) x channels "
         "(2)"},
        {"end of stream", fake::ordinary(1, 3, 4), -6, untouched,
         "End-of-stream indication from server"},
        {"empty data, end of stream", fake::data({}, 1, 3, 4), -6, untouched,
         "End-of-stream indication from server"},
        {"nothing ready", fake::ordinary(0, 3, 4), 0, 3,
         "Returned 0 blocks (tag 0x00000003, sequence 4)"},
        {"nothing ready, val0 2", fake::ordinary(2, 3, 4), 0, 3,
         "Returned 0 blocks (tag 0x00000003, sequence 4)"},
        {"refusal", fake::error(-10, "powered down"), -10, untouched, "powered down"},
        {"refusal with code 0", fake::error(0, "idle"), 0, untouched, "idle"},
    };
    for (const row &r : table) {
        connected_client client;
        client.answer({r.reply});
        std::vector<int32_t> buffer(10 * 32, 0);
        read_result got = read(client, 0x5, buffer, 10);
        EXPECT_EQ(got.code, r.code) << r.what;
        EXPECT_EQ(got.blocks, 0u) << r.what;
        EXPECT_EQ(got.tag, r.tag) << r.what;
        EXPECT_EQ(got.sequence, r.tag == untouched ? untouched : 4u) << r.what;
        EXPECT_EQ(got.text, r.text) << r.what;
        EXPECT_TRUE(client.still_connected()) << r.what;
    }
    connected_client client;
    const std::vector<uint8_t> wire = fake::big_endian_words(std::vector<uint32_t>(50, 0x11223344));
    client.answer({fake::data(wire)});
    std::vector<int32_t> buffer(10 * 32, 0);
    read(client, 0x5, buffer, 10);
    EXPECT_EQ(std::memcmp(buffer.data(), wire.data(), wire.size()), 0) << "unconverted";
}

TEST(ReadInput, TwentyFourBitValues) {
    const struct {
        uint32_t wire;
        int32_t plain;
        int32_t shifted;
    } table[] = {
        {0x80000000, INT32_MIN, -8388608},
        {0xFFFFFF00, -256, -1},
        {0x7FFFFF00, 2147483392, 8388607},
        {0x000001FF, 0x1FF, 1},
    };
    std::vector<uint32_t> words;
    for (const auto &row : table) words.push_back(row.wire);
    words.resize(16, 0);
    for (bool as_24bit : {false, true}) {
        connected_client client;
        client.answer({fake::data(fake::big_endian_words(words))});
        std::vector<int32_t> buffer(16);
        uint32_t blocks = 1;
        ASSERT_EQ(vesk_read_input(client.get(), 0x80000000, buffer.data(), &blocks,
                                  as_24bit ? VESK_INPUT_24BIT : 0, nullptr, nullptr),
                  0);
        EXPECT_EQ(blocks, 1u);
        for (std::size_t i = 0; i < std::size(table); ++i)
            EXPECT_EQ(buffer[i], as_24bit ? table[i].shifted : table[i].plain) << i;
        EXPECT_EQ(client.requests().at(0).arg2, 0u) << "the 24-bit flag stays here";
    }
}

TEST(ReadInput, BlocksBeyondTheCapacityAreDropped) {
    connected_client client;
    client.answer({fake::data(counting_words(3 * 16), 0, 1, 2), fake::data(counting_words(16), 0, 3, 4)});
    std::vector<int32_t> buffer(2 * 16, 0);
    read_result r = read(client, 0x1, buffer, 2);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.blocks, 2u);
    r = read(client, 0x1, buffer, 2);
    EXPECT_EQ(r.text, "Returned 1 blocks (tag 0x00000003, sequence 4)");
    EXPECT_EQ(r.blocks, 1u);
    EXPECT_EQ(buffer[1], 0x01000001);
}
