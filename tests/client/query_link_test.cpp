// vesk_query and vesk_link, and what every call refuses before it sends anything.
#include <functional>

#include "client_test_support.h"

TEST(Query, ValuesTextsAndFailures) {
    uint32_t value = 77;
    connected_client client(16, 2000,
                            {fake::error(0, "nothing to say"), fake::ordinary(2, 8, 0xFFFFFFFF, 0x10),
                             fake::message("from server"), fake::ordinary(1, 2, 3, 4)});
    auto query = [&client](uint32_t code, uint32_t *v0, uint32_t *v1, uint32_t *v2, uint32_t *v3) {
        return client.result(vesk_query(client.get(), code, v0, v1, v2, v3));
    };
    EXPECT_EQ(query(4, &value, &value, &value, &value), (outcome{0, "nothing to say"})) << "no values to report";
    EXPECT_EQ(value, 77u);
    std::array<uint32_t, 4> values{};
    EXPECT_EQ(query(VESK_QUERY_CHANNELS, &values[0], &values[1], &values[2], &values[3]),
              (outcome{0, "Query 0x00000001 returned (0x00000002, 0x00000008, 0xFFFFFFFF, 0x00000010)"}));
    EXPECT_EQ(values, (std::array<uint32_t, 4>{2, 8, 0xFFFFFFFF, 0x10}));
    // The MESSAGE text gives way.
    EXPECT_EQ(query(0xABCD, nullptr, nullptr, nullptr, nullptr),
              (outcome{0, "Query 0x0000ABCD returned (0x00000000, 0x00000000, 0x00000000, 0x00000000)"}));
    EXPECT_EQ(query(VESK_QUERY_SETUP, nullptr, &values[1], nullptr, nullptr).code, 0);
    EXPECT_EQ(values, (std::array<uint32_t, 4>{2, 2, 0xFFFFFFFF, 0x10})) << "null pointers are skipped";
    EXPECT_EQ(
        client.sent(),
        (std::vector<request_words>{
            {VESK_CMD_QUERY, 4}, {VESK_CMD_QUERY, 1}, {VESK_CMD_QUERY, 0xABCD}, {VESK_CMD_QUERY, VESK_QUERY_SETUP}}));
}

TEST(Link, LengthRules) {
    const uint8_t command[4] = {0x81, 0x00, 0x7F, 0xFF}, zero[1] = {0};
    const outcome none{-3, "Received 0 bytes of data, but expected 4 bytes"}, empty{0, "Received 0-byte response"};
    const std::tuple<const uint8_t *, uint32_t, fake::reply, outcome> table[] = {
        {command, 4, fake::data({1, 2, 3, 4}), {0, "Received 4-byte response"}},
        {command, 4, fake::data({1, 2, 3, 4, 5, 6}), {0, "Received 4-byte response"}},  // the rest dropped
        {command, 1, fake::data({1}), {0, "Received 1-byte response"}},
        // An empty command reads no command byte.
        {command, 0, fake::ordinary(), empty},
        {zero, 0, fake::ordinary(), empty},
        {command, 4, fake::ordinary(), none},
        {command, 4, fake::error(0, "?"), none},
        {command, 4, fake::data({1, 2}), {-3, "Received 2 bytes of data, but expected 4 bytes"}},
    };
    for (const auto &[sent, length, reply, want] : table) {
        connected_client client(16, 2000, {reply, fake::ordinary(8)});
        uint8_t response[4] = {0, 0, 0, 0};
        EXPECT_EQ(client.result(vesk_link(client.get(), sent, length, response)), want);
        EXPECT_EQ(client.sent(), (std::vector<request_words>{{VESK_CMD_LINK, 0, 0, 0, 0, length}}));
        EXPECT_EQ(client.requests().at(0).payload, std::vector<uint8_t>(sent, sent + length)) << want;
        if (want.code == 0 && length == 4) {
            EXPECT_EQ(std::vector<uint8_t>(response, response + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
        }
        EXPECT_EQ(client.next_query_value(), 8u) << want << ": the stream stays in step";
    }
}

// Checks in the order the calls make them; a refused read keeps the caller's count.
TEST(ArgumentChecks, RefusedBeforeAnythingIsSent) {
    instance_ptr unsized = new_instance(), sized = new_instance(65536);
    EXPECT_EQ(outcome_of(unsized.get(), vesk_control_output(unsized.get(), VESK_OUTPUT_START)),
              (outcome{VESK_SERVER_STATE, "Cannot set data before setting block size"}));
    const uint8_t zero_first[2] = {0, 1}, good[2] = {1, 0};
    int32_t buffer[4];
    uint32_t v = 77, *none = nullptr;
    auto read = [&](vesk_instance *i, uint32_t mask, int32_t *into, uint32_t count) {
        uint32_t blocks = count;
        const int32_t code = vesk_read_input(i, mask, into, &blocks, 0, nullptr, nullptr);
        return blocks == (code == VESK_SERVER_STATE ? 0 : count) ? code : 999;
    };
    const outcome not_connected{VESK_SERVER_STATE, "No connection to server"};
    const std::pair<std::function<int32_t(vesk_instance *)>, outcome> table[] = {
        {[&](auto i) { return vesk_query(i, 1, &v, 0, 0, 0); }, {-8, "Must be connected to server to issue queries"}},
        {[&](auto i) { return vesk_control_output(i, VESK_OUTPUT_START); }, not_connected},
        {[&](auto i) { return vesk_link(i, nullptr, 2, nullptr); }, {-4, "Command buffer pointer cannot be NULL."}},
        {[&](auto i) { return vesk_link(i, zero_first, 2, nullptr); }, {-4, "First command byte must be non-zero."}},
        {[&](auto i) { return vesk_link(i, good, 2, nullptr); }, {-4, "Response buffer pointer cannot be NULL"}},
        {[&](auto i) { return vesk_read_input(i, 1, buffer, none, 0, none, none); }, {-4, "Must specify block count"}},
        {[&](auto i) { return read(i, 1, buffer, 0); }, {-4, "Must specify non-zero block count"}},
        {[&](auto i) { return read(i, 1, nullptr, 10); }, {-4, "Result buffer pointer cannot be NULL"}},
        {[&](auto i) { return read(i, 0, buffer, 10); }, {-4, "Channel mask must select at least one channel"}},
        {[&](auto i) { return read(i, 0xFFFFFFFF, buffer, 512); },
         {-4, "512 blocks of 32 channels of 65536 samples need 4294967296 bytes, more than one read can carry"}},
        // The largest read of the program fits; only then is the count reset.
        {[&](auto i) { return read(i, 0xFFFFFFFF, buffer, 10); }, not_connected},
    };
    for (const auto &[call, want] : table) EXPECT_EQ(outcome_of(sized.get(), call(sized.get())), want);
}
