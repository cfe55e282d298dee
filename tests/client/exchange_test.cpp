// The framed exchange: failure texts and codes, whether the connection
// survives, the time-out budget, server texts and the capacity rules.
#include <pthread.h>
#include <signal.h>

#include <numeric>
#include <thread>

#include "client_test_support.h"

using namespace std::chrono_literals;

namespace {

int32_t query(connected_client &client, vesk_header *reply = nullptr, uint8_t *buffer = nullptr,
              uint32_t *capacity = nullptr) {
    vesk_header request{};
    request.command = VESK_CMD_QUERY;
    return issue(client.get(), request, nullptr, reply, buffer, capacity);
}

}  // namespace

TEST(Exchange, TransferFailuresCloseTheConnection) {
    const std::string timed_out = "Timed out receiving network traffic";
    const std::pair<fake::reply, std::string> table[] = {
        {fake::hang_up(), "Connection to audio device was closed"},
        {fake::reset(), "Error receiving network traffic: Connection reset by peer"},
        {fake::late(fake::ordinary(), 600ms), timed_out},
        {fake::silence(), timed_out},
        {fake::with_magic(fake::ordinary(), 0x39FB443E), "Received corrupted response from audio device"},
        {fake::urgent(fake::ordinary()), "Exceptional condition on socket"},
        {fake::with_length(fake::data({1, 2, 3}), 8), timed_out},
        // short data beyond the capacity, then a server text that never comes or is cut off
        {fake::with_length(fake::data(std::vector<uint8_t>(10)), 20), timed_out},
        {fake::with_length(fake::error(-7, "ab"), 5), timed_out},
        {fake::then_close(fake::with_length(fake::message("ab"), 5)), "Connection to audio device was closed"},
        // every piece comes well within the time-out, the whole header does not
        {fake::trickled(fake::ordinary(), 1, 30ms), timed_out},
    };
    for (const auto &[reply, text] : table) {
        connected_client client(16, 200, {reply});
        uint8_t buffer[8];
        uint32_t capacity = sizeof buffer;
        EXPECT_EQ(client.result(query(client, nullptr, buffer, &capacity)), (outcome{VESK_NETWORK_ERROR, text}));
        EXPECT_FALSE(client.still_connected()) << text;
        EXPECT_EQ(client.result(query(client)), (outcome{VESK_SERVER_STATE, "No connection to server"}));
    }
}

TEST(Exchange, SlowRepliesWithinTheBudget) {
    connected_client quick(16, 200, {fake::trickled(fake::ordinary(7), 10, 20ms)});
    EXPECT_EQ(quick.next_query_value(), 7u);

    // A signal that cuts the wait short neither ends it nor keeps it from timing out.
    struct sigaction action = {}, previous = {};
    action.sa_handler = [](int) {};
    sigaction(SIGUSR1, &action, &previous);
    for (auto [budget_ms, reply_after] : {std::pair{0, 300ms}, {300, 2000ms}}) {  // 0: no time-out
        connected_client client(16, budget_ms, {fake::late(fake::ordinary(4), reply_after)});
        std::thread interrupter([waiting = pthread_self()] {
            std::this_thread::sleep_for(100ms);
            pthread_kill(waiting, SIGUSR1);
        });
        EXPECT_EQ(client.next_query_value(), budget_ms == 0 ? 4u : 0xEEEEEEEEu) << vesk_errtext(client.get());
        interrupter.join();
    }
    sigaction(SIGUSR1, &previous, nullptr);
}

TEST(Exchange, ServerTextsAndRefusals) {
    const std::pair<fake::reply, outcome> table[] = {
        {fake::error(0, "fine"), {0, "fine"}},
        {fake::error(-77, "odd"), {-77, "odd"}},
        {fake::error(-7, ""), {-7, "Details not available"}},
        {fake::message(std::string(4, '\0')), {0, "Error description not available"}},
        {fake::message("100%d %s"), {0, "100%d %s"}},
        {fake::message(std::string("ab\0cd", 5)), {0, "ab"}},
        {fake::message(std::string(1023, 'm') + std::string(3000, 't')), {0, std::string(1023, 'm')}},
        {fake::message(std::string(1024, 'm')), {0, std::string(1023, 'm')}},  // one byte to drop
    };
    for (const auto &[scripted, want] : table) {
        connected_client client(16, 200, {scripted, fake::ordinary(9)});
        set_errtext(client.get(), "before");
        uint32_t capacity = 4;
        uint8_t buffer[4];
        vesk_header reply{};
        EXPECT_EQ(client.result(query(client, &reply, buffer, &capacity)), want);
        EXPECT_EQ(capacity, 0u) << want << ": nothing was received";
        EXPECT_EQ(header_received(reply), scripted.head.status == VESK_STATUS_MESSAGE)
            << want << ": a refusal hands no header back";
        EXPECT_EQ(client.next_query_value(), 9u) << want << ": the stream stays in step";
    }
}

TEST(Exchange, DataCapacityAndWhatIsDropped) {
    std::vector<uint8_t> hundred(100);
    std::iota(hundred.begin(), hundred.end(), 0);
    // What the caller has no room for is dropped: the next exchange reads its own reply.
    for (uint32_t room : {200u, 60u, 0u}) {
        connected_client client(16, 2000, {fake::data(hundred, 1, 2, 3), fake::ordinary(5)});
        std::vector<uint8_t> buffer(200, 0xEE), want(hundred.begin(), hundred.begin() + std::min(room, 100u));
        uint32_t capacity = room;
        vesk_header reply{};
        ASSERT_EQ(query(client, &reply, room ? buffer.data() : nullptr, room ? &capacity : nullptr), 0);
        want.push_back(0xEE);
        EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + want.size()), want) << room;
        EXPECT_EQ(capacity, want.size() - 1);
        EXPECT_EQ((std::array{reply.status, reply.val2, reply.length}),
                  (std::array<uint32_t, 3>{VESK_STATUS_DATA, 3, 100}));
        EXPECT_EQ(client.next_query_value(), 5u) << room;
    }
}
