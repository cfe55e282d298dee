// vesk_query and vesk_link.
#include "client_test_support.h"

TEST(Query, ValuesTextsAndFailures) {
    uint32_t value = 77;
    instance_ptr idle = new_instance();
    EXPECT_EQ(outcome_of(idle.get(), vesk_query(idle.get(), 1, &value, &value, &value, &value)),
              (outcome{VESK_NOT_CONNECTED, "Must be connected to server to issue queries"}));

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
    EXPECT_EQ(client.sent(), (std::vector<request_words>{{VESK_CMD_QUERY, 4, 0, 0, 0, 0},
                                                         {VESK_CMD_QUERY, 1, 0, 0, 0, 0},
                                                         {VESK_CMD_QUERY, 0xABCD, 0, 0, 0, 0},
                                                         {VESK_CMD_QUERY, VESK_QUERY_SETUP, 0, 0, 0, 0}}));
}

TEST(Link, ArgumentChecksInOrder) {
    instance_ptr idle = new_instance();
    const uint8_t zero_first[2] = {0, 1}, good[2] = {1, 0};
    const std::pair<const uint8_t *, outcome> table[] = {
        {nullptr, {-4, "Command buffer pointer cannot be NULL."}},
        {zero_first, {-4, "First command byte must be non-zero."}},
        {good, {-4, "Response buffer pointer cannot be NULL"}},
    };
    for (const auto &[command, want] : table)
        EXPECT_EQ(outcome_of(idle.get(), vesk_link(idle.get(), command, 2, nullptr)), want);
}

TEST(Link, LengthRules) {
    const uint8_t command[4] = {0x81, 0x00, 0x7F, 0xFF}, zero[1] = {0};
    const outcome none{-3, "Received 0 bytes of data, but expected 4 bytes"}, empty{0, "Received 0-byte response"};
    const std::tuple<const uint8_t *, uint32_t, fake::reply, outcome> table[] = {
        {command, 4, fake::data({1, 2, 3, 4}), {0, "Received 4-byte response"}},
        {command, 4, fake::data({1, 2, 3, 4, 5, 6}), {0, "Received 4-byte response"}},  // the rest dropped
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
