// vesk_query and vesk_link.
#include "client_test_support.h"

TEST(Query, ValuesAndTexts) {
    connected_client client;
    client.answer({fake::ordinary(2, 8, 0xFFFFFFFF, 0x10), fake::message("from server"),
                   fake::ordinary(1, 2, 3, 4)});
    uint32_t values[4] = {0, 0, 0, 0};
    EXPECT_EQ(vesk_query(client.get(), VESK_QUERY_CHANNELS, &values[0], &values[1], &values[2],
                         &values[3]),
              0);
    EXPECT_EQ(client.text(),
              "Query 0x00000001 returned (0x00000002, 0x00000008, 0xFFFFFFFF, 0x00000010)");
    EXPECT_EQ(values[0], 2u);
    EXPECT_EQ(values[1], 8u);
    EXPECT_EQ(values[2], 0xFFFFFFFFu);
    EXPECT_EQ(values[3], 0x10u);

    EXPECT_EQ(vesk_query(client.get(), 0xABCD, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(client.text(),
              "Query 0x0000ABCD returned (0x00000000, 0x00000000, 0x00000000, 0x00000000)")
        << "the MESSAGE text gives way";
    EXPECT_EQ(vesk_query(client.get(), VESK_QUERY_SETUP, nullptr, &values[1], nullptr, nullptr), 0);
    EXPECT_EQ(values[1], 2u);
    EXPECT_EQ(values[0], 2u) << "null pointers are skipped";

    std::vector<fake::request> seen = client.requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].command, VESK_CMD_QUERY);
    EXPECT_EQ(seen[0].arg0, 1u);
    EXPECT_EQ(seen[1].arg0, 0xABCDu);
    EXPECT_EQ(seen[2].arg1 | seen[2].arg2 | seen[2].arg3 | seen[2].length, 0u);
}

TEST(Query, FailuresLeaveTheValues) {
    instance_ptr idle = new_instance();
    uint32_t value = 77;
    EXPECT_EQ(vesk_query(idle.get(), 1, &value, &value, &value, &value), VESK_NOT_CONNECTED);
    EXPECT_STREQ(vesk_errtext(idle.get()), "Must be connected to server to issue queries");

    connected_client client;
    client.answer({fake::error(-7, "no setup here"), fake::error(0, "nothing to say")});
    EXPECT_EQ(vesk_query(client.get(), 4, &value, &value, &value, &value), VESK_SERVER_ERROR);
    EXPECT_EQ(client.text(), "no setup here");
    EXPECT_EQ(vesk_query(client.get(), 4, &value, &value, &value, &value), VESK_SUCCESS);
    EXPECT_EQ(client.text(), "nothing to say") << "no values to report";
    EXPECT_EQ(value, 77u);
}

TEST(Link, ArgumentChecksInOrder) {
    instance_ptr instance = new_instance();
    const uint8_t zero_first[2] = {0, 1};
    const uint8_t good[2] = {1, 0};
    uint8_t response[2];
    struct row {
        const uint8_t *command;
        uint8_t *response;
        int32_t code;
        const char *text;
    } table[] = {
        {nullptr, nullptr, VESK_INVALID_ARGUMENT, "Command buffer pointer cannot be NULL."},
        {zero_first, nullptr, VESK_INVALID_ARGUMENT, "First command byte must be non-zero."},
        {good, nullptr, VESK_INVALID_ARGUMENT, "Response buffer pointer cannot be NULL"},
        // No check of its own: the exchange refuses.
        {good, response, VESK_SERVER_STATE, "No connection to server"},
    };
    for (const row &r : table) {
        EXPECT_EQ(vesk_link(instance.get(), r.command, 2, r.response), r.code);
        EXPECT_STREQ(vesk_errtext(instance.get()), r.text);
    }
}

TEST(Link, LengthRules) {
    const uint8_t command[4] = {0x81, 0x00, 0x7F, 0xFF};
    const uint8_t zero[1] = {0};
    struct row {
        const char *what;
        const uint8_t *command;
        uint32_t length;
        fake::reply reply;
        int32_t code;
        const char *text;
    } table[] = {
        {"exact", command, 4, fake::data({1, 2, 3, 4}), 0, "Received 4-byte response"},
        {"longer, the rest dropped", command, 4, fake::data({1, 2, 3, 4, 5, 6}), 0, "Received 4-byte response"},
        {"empty", command, 0, fake::ordinary(), 0, "Received 0-byte response"},
        {"empty reads no command byte", zero, 0, fake::ordinary(), 0, "Received 0-byte response"},
        {"no data", command, 4, fake::ordinary(), -3, "Received 0 bytes of data, but expected 4 bytes"},
        {"short data", command, 4, fake::data({1, 2}), -3, "Received 2 bytes of data, but expected 4 bytes"},
        {"refusal with code 0", command, 4, fake::error(0, "?"), -3,
         "Received 0 bytes of data, but expected 4 bytes"},
    };
    for (const row &r : table) {
        connected_client client;
        client.answer({r.reply, fake::ordinary(8)});
        uint8_t response[4] = {0, 0, 0, 0};
        EXPECT_EQ(vesk_link(client.get(), r.command, r.length, response), r.code) << r.what;
        EXPECT_EQ(client.text(), r.text) << r.what;
        ASSERT_EQ(client.requests().size(), 1u);
        fake::request seen = client.requests()[0];
        EXPECT_EQ(seen.command, VESK_CMD_LINK);
        EXPECT_EQ(seen.arg0 | seen.arg1 | seen.arg2 | seen.arg3, 0u);
        EXPECT_EQ(seen.payload, std::vector<uint8_t>(r.command, r.command + r.length)) << r.what;
        if (r.code == 0 && r.length == 4) {
            EXPECT_EQ(std::vector<uint8_t>(response, response + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
        }
        uint32_t value = 0;
        EXPECT_EQ(vesk_query(client.get(), 1, &value, nullptr, nullptr, nullptr), 0) << r.what;
        EXPECT_EQ(value, 8u) << r.what << ": the stream stays in step";
    }
}
