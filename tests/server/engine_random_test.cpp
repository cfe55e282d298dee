// The protocol engine without sockets, fed seeded random requests: every
// whole request gets exactly one well-formed reply, whatever it asks, and
// the sanitizer builds see any fault on the way.
#include <gtest/gtest.h>

#include <random>

#include "connection.h"
#include "session.h"
#include "veskclient.h"

namespace {

using namespace vesksim;

TEST(Engine, AnswersEveryRandomRequestWithOneWellFormedReply) {
    std::mt19937 random(20180330);
    const uint32_t interesting[] = {0, 1, 2, 3, 4, 8, 16, 64, 256, 0x800, 0x1100, 0x8100,
                                    VESK_PROTOCOL_VERSION, VESK_OUTPUT_START,
                                    VESK_OUTPUT_START_UNSYNCHRONIZED, VESK_OUTPUT_STOP,
                                    0x7FFFFFFF, 0xFFFFFFFF};
    auto pick = [&] {
        return random() % 4 == 0 ? static_cast<uint32_t>(random())
                                 : interesting[random() % std::size(interesting)];
    };
    for (double speed : {0.0, 1000.0}) {
        sim_options options;
        options.speed = speed;
        options.hardware = speed == 0 ? hardware_kind::c3 : hardware_kind::b;
        server_state server{make_device(options), std::nullopt};
        auto now = sim_clock::time_point{};
        connection c;
        c.id = 1;
        int data_replies = 0, controls = 0;
        for (int i = 0; i < 3000; ++i) {
            header head{VESK_MAGIC, static_cast<uint32_t>(1 + random() % 8), pick(), pick(), pick() % 1000, pick(), 0};
            if (i % 50 == 0) head = {VESK_MAGIC, VESK_CMD_CONNECT, VESK_PROTOCOL_VERSION, 64, 0, 0, 0};
            const uint32_t lengths[] = {0, 4 * 64 * static_cast<uint32_t>(__builtin_popcount(head.arg1)),
                                        static_cast<uint32_t>(random() % 600)};
            head.length = lengths[random() % 3];
            std::vector<uint8_t> bytes(28 + head.length);
            wire::encode_header(head, bytes.data());
            for (size_t b = 28; b < bytes.size(); ++b) bytes[b] = static_cast<uint8_t>(random());

            now += std::chrono::milliseconds(random() % 20);
            size_t offset = 0;
            std::optional<header> answered;
            while (offset < bytes.size() && !answered) {  // arrives in random pieces
                const size_t piece = std::min<size_t>({1 + random() % 100, bytes.size() - offset,
                                                       bytes_wanted(c)});
                ASSERT_GT(piece, 0u);
                answered = take_bytes(server, c, std::span(bytes).subspan(offset, piece), now);
                offset += piece;
            }
            ASSERT_EQ(offset, bytes.size());
            ASSERT_TRUE(answered) << i;
            const auto pieces = unsent_reply(c);
            const header reply = wire::decode_header(pieces[0].data());
            ASSERT_EQ(reply.magic, VESK_MAGIC);
            ASSERT_EQ(reply.length, c.reply_payload.size());
            if (reply.status == VESK_STATUS_DATA && head.command == VESK_CMD_READ_INPUT) ++data_replies;
            if (reply.status == 0 && head.command == VESK_CMD_CONTROL_OUTPUT) ++controls;
            ASSERT_FALSE(reply_progress(c, 28 + reply.length) && reply.status != VESK_STATUS_ERROR);
            if (c.close_after_reply) {  // a refused second client: start afresh
                end_connection(server, c.id);
                c = connection{};
                c.id = 1;
            }
        }
        // The requests reached playback and capture, not only refusals.
        EXPECT_GT(data_replies, 0);
        EXPECT_GT(controls, 0);
    }
}

}  // namespace
