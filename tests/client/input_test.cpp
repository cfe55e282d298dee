// vesk_read_input.
#include "client_test_support.h"

namespace {

constexpr uint32_t untouched = 0xEEEEEEEE;

struct read_result {
    outcome result;
    uint32_t blocks, tag = untouched, sequence = untouched;
};

read_result read(connected_client &client, uint32_t mask, std::vector<int32_t> &buffer, uint32_t blocks,
                 uint32_t flags = 0) {
    read_result r{{}, blocks};
    r.result = client.result(vesk_read_input(client.get(), mask, buffer.data(), &r.blocks, flags, &r.tag, &r.sequence));
    return r;
}

std::vector<uint8_t> counting_words(uint32_t count) {
    std::vector<uint32_t> words(count);
    for (uint32_t i = 0; i < count; ++i) words[i] = 0x01000000u * (i % 200) + i;
    return fake::big_endian_words(words);
}

}  // namespace

TEST(ReadInput, ArgumentChecksKeepTheCount) {
    instance_ptr idle = new_instance(65536);
    vesk_instance *i = idle.get();
    int32_t buffer[4];
    EXPECT_EQ(outcome_of(i, vesk_read_input(i, 1, buffer, nullptr, 0, nullptr, nullptr)),
              (outcome{-4, "Must specify block count"}));
    const std::tuple<uint32_t, int32_t *, uint32_t, outcome> table[] = {
        {1, buffer, 0, {-4, "Must specify non-zero block count"}},
        {1, nullptr, 10, {-4, "Result buffer pointer cannot be NULL"}},
        {0, buffer, 10, {-4, "Channel mask must select at least one channel"}},
        {0xFFFFFFFF, buffer, 512,
         {-4, "512 blocks of 32 channels of 65536 samples need 4294967296 bytes, more than one read can carry"}},
        // The largest read of the program fits; only then is the count reset.
        {0xFFFFFFFF, buffer, 10, {VESK_SERVER_STATE, "No connection to server"}},
    };
    for (const auto &[mask, into, count, want] : table) {
        uint32_t blocks = count;
        EXPECT_EQ(outcome_of(i, vesk_read_input(i, mask, into, &blocks, 0, nullptr, nullptr)), want);
        EXPECT_EQ(blocks, want.code == VESK_SERVER_STATE ? 0 : count) << want;
    }
}

TEST(ReadInput, WholeBlocksInHostOrderAndWhatIsDropped) {
    std::vector<uint32_t> edges(16, 0);
    edges[0] = 0x80000000, edges[1] = 0xFFFFFF00, edges[2] = 0x7FFFFF00, edges[3] = 0x000001FF;
    connected_client client(16, 2000, {fake::data(counting_words(3 * 16), 0, 5, 7), fake::data(counting_words(16), 0, 3, 4),
                                       fake::data(fake::big_endian_words(edges))});
    std::vector<int32_t> buffer(2 * 16 + 1, -1);
    read_result r = read(client, 0x1, buffer, 2, 0xFFFFFFFF & ~VESK_INPUT_24BIT);
    EXPECT_EQ(r.result, (outcome{0, "Returned 2 blocks (tag 0x00000005, sequence 7)"}));
    EXPECT_EQ((std::array{r.blocks, r.tag, r.sequence}), (std::array{2u, 5u, 7u}));
    for (uint32_t i = 0; i < 32; ++i) ASSERT_EQ(uint32_t(buffer[i]), 0x01000000u * i + i) << i;
    EXPECT_EQ(buffer[32], -1);

    // The third block had no room: the next read gets its own reply.
    r = read(client, 0x1, buffer, 2);
    EXPECT_EQ(r.result, (outcome{0, "Returned 1 blocks (tag 0x00000003, sequence 4)"}));
    EXPECT_EQ((std::array{r.blocks, uint32_t(buffer[1])}), (std::array{1u, 0x01000001u}));

    read(client, 0x80000000, buffer, 1, VESK_INPUT_24BIT);
    EXPECT_EQ((std::vector<int32_t>(buffer.begin(), buffer.begin() + 4)), (std::vector<int32_t>{-8388608, -1, 8388607, 1}));
    // Only the server's bits go out; the 24-bit flag stays here.
    EXPECT_EQ(client.sent(), (std::vector<request_words>{{VESK_CMD_READ_INPUT, 0x1, 2, VESK_INPUT_SERVER_BITS, 0, 0},
                                                          {VESK_CMD_READ_INPUT, 0x1, 2, 0, 0, 0},
                                                          {VESK_CMD_READ_INPUT, 0x80000000, 1, 0, 0, 0}}));
}

TEST(ReadInput, RepliesWithoutWholeBlocks) {
    const outcome end{-6, "End-of-stream indication from server"};
    const outcome none{0, "Returned 0 blocks (tag 0x00000003, sequence 4)"};
    const std::pair<fake::reply, outcome> table[] = {
        {fake::data(fake::big_endian_words(std::vector<uint32_t>(50, 0x11223344)), 0, 3, 4),
         {-3, "Received 200 bytes of data, which is not a multiple of 4 x block size (16) x channels (2)"}},
        {fake::ordinary(1, 3, 4), end},  {fake::ordinary(0, 3, 4), none},
        {fake::ordinary(2, 3, 4), none},  {fake::error(0, "idle"), {0, "idle"}},
    };
    for (const auto &[reply, want] : table) {
        connected_client client(16, 2000, {reply});
        std::vector<int32_t> buffer(10 * 32, 0);
        read_result got = read(client, 0x5, buffer, 10);
        EXPECT_EQ(got.result, want);
        const uint32_t tag = want == none ? 3 : untouched, sequence = want == none ? 4 : untouched;
        EXPECT_EQ((std::array{got.blocks, got.tag, got.sequence}), (std::array{0u, tag, sequence})) << want;
        EXPECT_TRUE(client.still_connected()) << want;
        EXPECT_EQ(buffer[49], want.code == -3 ? 0x44332211 : 0) << "a partial block is left unconverted";
    }
}
