// vesk_stage_output, vesk_control_output and vesk_read_input.
#include "client_test_support.h"

namespace {

std::vector<int32_t> block_of(int32_t first, int32_t step = 1) {
    std::vector<int32_t> block(16);
    for (std::size_t j = 0; j < block.size(); ++j) block[j] = first + static_cast<int32_t>(j) * step;
    return block;
}

fake::request staged(connected_client &client, uint32_t flags, uint32_t count, const int32_t *const *channels,
                     uint32_t blocks = 1, uint32_t tag = 0) {
    EXPECT_EQ(vesk_stage_output(client.get(), flags, count, channels, blocks, tag), 0) << vesk_errtext(client.get());
    std::vector<fake::request> seen = client.requests();
    return seen.empty() ? fake::request{} : seen.back();
}

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

TEST(Stage, ChannelsInOrderAsBigEndianWords) {
    connected_client client;
    std::vector<int32_t> three = block_of(256), five = block_of(-1, -1), ignored = block_of(9);
    const int32_t *channels[7] = {nullptr, nullptr, nullptr, three.data(), nullptr, five.data(), ignored.data()};
    fake::request r = staged(client, VESK_STAGE_DATA | VESK_STAGE_NO_CAPTURE, 6, channels, 12, 3);
    // Entry 6 is beyond the channel count.
    EXPECT_EQ(words_of(r), (request_words{VESK_CMD_STAGE_OUTPUT, 0x1100, 0x28, 12, 3, 2 * 16 * 4}));
    ASSERT_EQ(r.payload.size(), 128u);
    EXPECT_EQ(std::vector<uint8_t>(r.payload.begin(), r.payload.begin() + 4), (std::vector<uint8_t>{0, 0, 1, 0}));
    std::vector<int32_t> want = three;
    want.insert(want.end(), five.begin(), five.end());
    EXPECT_EQ(fake::payload_samples(r), want);
    EXPECT_EQ(three, block_of(256)) << "the caller's block is only read";
}

TEST(Stage, SegmentsWithoutData) {
    connected_client client;
    std::vector<int32_t> block = block_of(1);
    const int32_t *table[2] = {block.data(), block.data()}, *none[2] = {nullptr, nullptr};
    const std::tuple<uint32_t, const int32_t *const *, uint32_t> rows[] = {
        {VESK_STAGE_RESET, table, 0x800},
        {VESK_STAGE_DATA, nullptr, 0x100},
        {VESK_STAGE_DATA | VESK_STAGE_NO_CAPTURE, none, 0x1100},
        {VESK_STAGE_RAMP_UP, nullptr, 0x100},
        {VESK_STAGE_LOOP_START | 0x40000000, table, 0x40008000},
    };
    for (const auto &[flags, channels, sent_flags] : rows) {
        fake::request seen = staged(client, flags, 2, channels, 7, 0);
        EXPECT_EQ(words_of(seen), (request_words{VESK_CMD_STAGE_OUTPUT, sent_flags, 0, 7})) << flags;
        EXPECT_TRUE(seen.payload.empty()) << flags;
    }
}

TEST(Stage, RampsScaleACopyAndTruncateTowardZero) {
    connected_client client;
    const std::vector<int32_t> flat(16, 1600), negative(16, -5), full(16, INT32_MIN);
    const int32_t *channels[3] = {flat.data(), negative.data(), full.data()};

    fake::request up = staged(client, VESK_STAGE_RAMP_UP | VESK_STAGE_NO_CAPTURE, 3, channels);
    EXPECT_EQ(up.arg0, 0x1100u) << "ramps go out as data";
    std::vector<int32_t> got = fake::payload_samples(up);
    ASSERT_EQ(got.size(), 48u);
    // -5 x 0.5 truncates toward zero; -2^31 x 15/16.
    EXPECT_EQ((std::array{got[0], got[1], got[15], got[16 + 8], got[16 + 15], got[32 + 15]}),
              (std::array{0, 100, 1500, -2, -4, -2013265920}));

    fake::request down = staged(client, VESK_STAGE_RAMP_DOWN, 3, channels);
    EXPECT_EQ(down.arg0, 0x100u);
    got = fake::payload_samples(down);
    EXPECT_EQ((std::array{got[15], got[14], got[0], got[16]}), (std::array{0, 100, 1500, -4}));

    fake::request both = staged(client, VESK_STAGE_RAMP_UP | VESK_STAGE_RAMP_DOWN, 1, channels);
    EXPECT_EQ(fake::payload_samples(both)[0], 0) << "both ramps: the rising one";
    EXPECT_TRUE(flat == std::vector<int32_t>(16, 1600) && negative == std::vector<int32_t>(16, -5)) << "only read";
}

TEST(Stage, RefusalsAndWhatIsKept) {
    connected_client client;
    std::vector<const int32_t *> many(33, nullptr);
    EXPECT_EQ(client.result(vesk_stage_output(client.get(), VESK_STAGE_DATA, 33, many.data(), 1, 0)),
              (outcome{-4, "Channel count 33 is above the 32 channels of a channel mask"}));
    set_errtext(client.get(), "kept");
    EXPECT_EQ(client.result(vesk_stage_output(client.get(), VESK_STAGE_RESET, 0, nullptr, 0, 0)), (outcome{0, "kept"}));
    EXPECT_EQ(client.requests().size(), 1u) << "the refusal sent nothing";
}

TEST(ControlOutput, RequestAndTexts) {
    connected_client client(16, 2000, {fake::ordinary(), fake::error(-7, "not staged")});
    EXPECT_EQ(client.result(vesk_control_output(client.get(), VESK_OUTPUT_STOP)),
              (outcome{0, "Operation with flags 0x00220000 succeeded"}));
    EXPECT_EQ(client.result(vesk_control_output(client.get(), VESK_OUTPUT_START)), (outcome{-7, "not staged"}));
    EXPECT_EQ(client.sent(),
              (std::vector<request_words>{{VESK_CMD_CONTROL_OUTPUT, 0x220000}, {VESK_CMD_CONTROL_OUTPUT, 0x10000}}));
}

TEST(ReadInput, WholeBlocksInHostOrderAndWhatIsDropped) {
    const std::vector<uint32_t> edges{0x80000000, 0xFFFFFF00, 0x7FFFFF00, 0x000001FF, 0, 0, 0, 0,
                                      0,          0,          0,          0,          0, 0, 0, 0};
    connected_client client(16, 2000,
                            {fake::data(counting_words(3 * 16), 0, 5, 7), fake::data(counting_words(16), 0, 3, 4),
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
    EXPECT_EQ((std::vector<int32_t>(buffer.begin(), buffer.begin() + 4)),
              (std::vector<int32_t>{-8388608, -1, 8388607, 1}));
    // Only the server's bits go out; the 24-bit flag stays here.
    EXPECT_EQ(client.sent(), (std::vector<request_words>{{VESK_CMD_READ_INPUT, 0x1, 2, VESK_INPUT_SERVER_BITS},
                                                         {VESK_CMD_READ_INPUT, 0x1, 2},
                                                         {VESK_CMD_READ_INPUT, 0x80000000, 1}}));
}

TEST(ReadInput, RepliesWithoutWholeBlocks) {
    const outcome end{-6, "End-of-stream indication from server"};
    const outcome none{0, "Returned 0 blocks (tag 0x00000003, sequence 4)"};
    const std::pair<fake::reply, outcome> table[] = {
        {fake::data(fake::big_endian_words(std::vector<uint32_t>(50, 0x11223344)), 0, 3, 4),
         {-3, "Received 200 bytes of data, which is not a multiple of 4 x block size (16) x channels (2)"}},
        {fake::ordinary(1, 3, 4), end},
        {fake::ordinary(0, 3, 4), none},
        {fake::ordinary(2, 3, 4), none},
        {fake::error(0, "idle"), {0, "idle"}},
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
