// The framed exchange: failure texts and codes, whether the connection
// survives, the time-out budget, server texts and the capacity rules.
#include <pthread.h>
#include <signal.h>

#include <thread>

#include "client_test_support.h"

using namespace std::chrono_literals;

namespace {

vesk_header query_request() {
    vesk_header request{};
    request.command = VESK_CMD_QUERY;
    return request;
}

// The reply's val0, or -1000 - the code of a failed exchange.
int64_t plain_exchange(connected_client &client) {
    vesk_header reply{};
    int32_t code = issue(client.get(), query_request(), nullptr, &reply, nullptr, nullptr);
    return code == VESK_SUCCESS ? int64_t{reply.val0} : -1000 - code;
}

}  // namespace

TEST(Exchange, TransferFailuresCloseTheConnection) {
    struct row {
        const char *what;
        fake::reply reply;
        const char *text;
    } table[] = {
        {"hang-up", fake::hang_up(), "Connection to audio device was closed"},
        {"reset", fake::reset(), "Error receiving network traffic: Connection reset by peer"},
        {"late", fake::late(fake::ordinary(), 600ms), "Timed out receiving network traffic"},
        {"silence", fake::silence(), "Timed out receiving network traffic"},
        {"wrong magic", fake::with_magic(fake::ordinary(), 0x39FB443E),
         "Received corrupted response from audio device"},
        {"urgent data", fake::urgent(fake::ordinary()), "Exceptional condition on socket"},
        {"short data", fake::with_length(fake::data({1, 2, 3}), 8), "Timed out receiving network traffic"},
        {"short data beyond the capacity", fake::with_length(fake::data(std::vector<uint8_t>(10)), 20),
         "Timed out receiving network traffic"},
        {"refusal text that never comes", fake::with_length(fake::error(-7, "ab"), 5),
         "Timed out receiving network traffic"},
        {"message text cut off", fake::then_close(fake::with_length(fake::message("ab"), 5)),
         "Connection to audio device was closed"},
    };
    for (const row &r : table) {
        connected_client client(16, 200);
        client.answer({r.reply});
        uint8_t buffer[8];
        uint32_t capacity = sizeof buffer;
        EXPECT_EQ(issue(client.get(), query_request(), nullptr, nullptr, buffer, &capacity),
                  VESK_NETWORK_ERROR)
            << r.what;
        EXPECT_EQ(client.text(), r.text) << r.what;
        EXPECT_FALSE(client.still_connected()) << r.what;
        EXPECT_EQ(plain_exchange(client), -1000 - VESK_SERVER_STATE) << r.what;
        EXPECT_EQ(client.text(), "No connection to server") << r.what;
    }
}

TEST(Exchange, BudgetCoversTheSumOfTheWaitsForOneBuffer) {
    // Every piece comes well within 200 ms, the whole header does not.
    connected_client slow(16, 200);
    slow.answer({fake::trickled(fake::ordinary(), 1, 30ms)});
    EXPECT_EQ(plain_exchange(slow), -1000 - VESK_NETWORK_ERROR);
    EXPECT_EQ(slow.text(), "Timed out receiving network traffic");

    connected_client quick(16, 200);
    quick.answer({fake::trickled(fake::ordinary(7), 10, 20ms)});
    EXPECT_EQ(plain_exchange(quick), 7);

    connected_client unlimited(16, 0);
    unlimited.answer({fake::late(fake::ordinary(3), 300ms)});
    EXPECT_EQ(plain_exchange(unlimited), 3);
}

TEST(Exchange, WaitCutShortByASignalGoesOn) {
    struct sigaction action {
    }, previous{};
    action.sa_handler = [](int) {};
    sigaction(SIGUSR1, &action, &previous);
    connected_client client(16, 2000);
    client.answer({fake::late(fake::ordinary(4), 300ms)});
    pthread_t waiting = pthread_self();
    std::thread interrupter([waiting] {
        std::this_thread::sleep_for(100ms);
        pthread_kill(waiting, SIGUSR1);
    });
    EXPECT_EQ(plain_exchange(client), 4) << client.text();
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_TRUE(client.still_connected());
}

TEST(Exchange, ServerTextsAndRefusals) {
    struct row {
        const char *what;
        fake::reply reply;
        int32_t code;
        std::string text;
    } table[] = {
        {"refusal", fake::error(-5, "abc"), -5, "abc"},
        {"refusal with code 0", fake::error(0, "fine"), 0, "fine"},
        {"refusal outside the table", fake::error(-77, "odd"), -77, "odd"},
        {"refusal without text", fake::error(-7, ""), -7, "Details not available"},
        {"message as plain text", fake::message("100%d %s"), 0, "100%d %s"},
        {"message up to its NUL", fake::message(std::string("ab\0cd", 5)), 0, "ab"},
        {"message of NULs", fake::message(std::string(4, '\0')), 0, "Error description not available"},
        {"long message", fake::message(std::string(1023, 'm') + std::string(3000, 't')), 0,
         std::string(1023, 'm')},
    };
    for (const row &r : table) {
        connected_client client(16, 200);
        client.answer({r.reply, fake::ordinary(9)});
        set_errtext(client.get(), "before");
        uint32_t capacity = 4;
        uint8_t buffer[4];
        vesk_header reply{};
        EXPECT_EQ(issue(client.get(), query_request(), nullptr, &reply, buffer, &capacity), r.code) << r.what;
        EXPECT_EQ(client.text(), r.text) << r.what;
        EXPECT_EQ(capacity, 0u) << r.what << ": nothing was received";
        EXPECT_EQ(header_received(reply), r.reply.head.status == VESK_STATUS_MESSAGE)
            << r.what << ": a refusal hands no header back";
        EXPECT_EQ(plain_exchange(client), 9) << r.what << ": the stream stays in step";
    }
}

TEST(Exchange, DataCapacityAndWhatIsDropped) {
    std::vector<uint8_t> hundred(100);
    for (std::size_t i = 0; i < hundred.size(); ++i) hundred[i] = uint8_t(i);

    connected_client client;
    client.answer({fake::data(hundred, 1, 2, 3), fake::ordinary(5), fake::data(hundred),
                   fake::ordinary(6), fake::data(hundred), fake::ordinary(7)});
    std::vector<uint8_t> buffer(200, 0xEE);
    uint32_t capacity = 200;
    vesk_header reply{};
    ASSERT_EQ(issue(client.get(), query_request(), nullptr, &reply, buffer.data(), &capacity), 0);
    EXPECT_EQ(capacity, 100u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 100), hundred);
    EXPECT_EQ(buffer[100], 0xEE);
    EXPECT_EQ(reply.status, VESK_STATUS_DATA);
    EXPECT_EQ(reply.val2, 3u);
    EXPECT_EQ(reply.length, 100u);

    capacity = 8;
    EXPECT_EQ(issue(client.get(), query_request(), nullptr, nullptr, buffer.data(), &capacity), 0);
    EXPECT_EQ(capacity, 0u) << "an ordinary reply carries no data";

    // What the caller has no room for is dropped: the next exchange reads its own reply.
    capacity = 60;
    std::fill(buffer.begin(), buffer.end(), 0xEE);
    ASSERT_EQ(issue(client.get(), query_request(), nullptr, nullptr, buffer.data(), &capacity), 0);
    EXPECT_EQ(capacity, 60u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 60),
              std::vector<uint8_t>(hundred.begin(), hundred.begin() + 60));
    EXPECT_EQ(buffer[60], 0xEE);
    EXPECT_EQ(plain_exchange(client), 6);
    EXPECT_EQ(issue(client.get(), query_request(), nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(plain_exchange(client), 7) << "also without a buffer";
}

TEST(Exchange, RequestGoesOutAsFramed) {
    connected_client client;
    vesk_header request{};
    request.magic = 0xDEADBEEF;  // not read: the exchange puts in its own
    request.command = 9;
    request.arg0 = 0x01020304;
    request.arg1 = 5;
    request.arg2 = 6;
    request.arg3 = 0xFFFFFFFF;
    request.length = 3;
    const uint8_t payload[3] = {0x10, 0x00, 0xFF};
    ASSERT_EQ(issue(client.get(), request, payload, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(client.requests().size(), 1u);
    fake::request seen = client.requests()[0];
    EXPECT_EQ(seen.magic, VESK_MAGIC);
    EXPECT_EQ(seen.command, 9u);
    EXPECT_EQ(seen.arg0, 0x01020304u);
    EXPECT_EQ(seen.arg1, 5u);
    EXPECT_EQ(seen.arg2, 6u);
    EXPECT_EQ(seen.arg3, 0xFFFFFFFFu);
    EXPECT_EQ(seen.length, 3u);
    EXPECT_EQ(seen.payload, (std::vector<uint8_t>{0x10, 0x00, 0xFF}));
}
