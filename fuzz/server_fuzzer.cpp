// vesksim's request handling: fuzz bytes are what clients send, over up to
// three connections at once, with simulated time passing in between. The
// first byte picks the device (kind, speed, channel counts); then records of
// [control][length][bytes] follow: the control byte names the connection
// (bits 0-1), whether it hangs up after its bytes (bit 2) and how many tens
// of milliseconds pass first (bits 3-7). Every reply must be well framed and
// keep the promises a client relies on.
//
// A read may ask for any number of blocks, and the server answers up to
// 96 MiB at a time; to keep each input fast the fuzzer lowers the count of
// a read to about 1 MiB of blocks before the server sees it.
#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "connection.h"
#include "fuzz_check.h"
#include "session.h"
#include "veskclient.h"

namespace {

using namespace vesksim;

constexpr int connection_slots = 3;

uint32_t block_size_of(const server_state &server, uint64_t id) {
    return server.active && server.active->connection == id ? server.active->block_size : 0;
}

uint64_t block_bytes(uint32_t channel_mask, uint32_t block_size) {
    return 4ull * static_cast<uint64_t>(std::popcount(channel_mask)) * block_size;
}

void check_reply(const connection &c, const header &request, uint32_t block_size) {
    const header reply = wire::decode_header(c.reply_head.data());
    const uint32_t status = reply.status;
    require(reply.magic == VESK_MAGIC, "every reply carries the magic");
    require(reply.length == c.reply_payload.size(), "the length word matches the payload");
    require(status == ordinary_status || status == VESK_STATUS_MESSAGE || status == VESK_STATUS_ERROR ||
                status == VESK_STATUS_DATA,
            "a known reply status");
    const auto code = static_cast<int32_t>(reply.arg0);
    require(status != VESK_STATUS_ERROR || (code <= -1 && code >= -10), "refusals carry a library return code");
    require(status != VESK_STATUS_ERROR || !c.reply_payload.empty(), "refusals say why");
    if (status != VESK_STATUS_DATA) return;
    const uint64_t block = block_bytes(request.arg0, block_size);
    if (request.command == VESK_CMD_LINK)
        return require(reply.length == request.length, "a link answers with as many bytes as it was sent");
    require(request.command == VESK_CMD_READ_INPUT, "only reads and links carry data");
    require(block != 0 && reply.length % block == 0, "reads carry whole blocks");
    require(reply.length / block <= request.arg1, "reads carry no more blocks than asked");
}

// Header bytes are gathered here, so that a read's block count can be
// lowered to about 1 MiB of blocks before the server takes the header.
struct client_slot {
    connection framing;
    std::array<uint8_t, wire::header_bytes> head{};
    size_t head_bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    sim_options options;
    options.hardware = (data[0] & 1) ? hardware_kind::b : hardware_kind::c3;
    options.speed = std::array{0.0, 1.0, 4.0, 0.5}[(data[0] >> 1) & 3];
    options.outputs = 1 + ((data[0] >> 3) & 3);
    options.inputs = 1 + ((data[0] >> 5) & 3);
    server_state server{make_device(options), std::nullopt};
    sim_clock::time_point now = sim_clock::time_point{} + std::chrono::hours(1);
    uint64_t next_id = 1;
    client_slot slots[connection_slots];
    auto hang_up = [&](client_slot &slot) {
        end_connection(server, slot.framing.id);
        slot = client_slot{};
        slot.framing.id = next_id++;
    };
    std::for_each(std::begin(slots), std::end(slots), hang_up);

    for (size_t at = 1; at + 2 <= size;) {
        const uint8_t control = data[at];
        std::span<const uint8_t> bytes = std::span(data + at + 2, std::min<size_t>(data[at + 1], size - at - 2));
        at += 2 + bytes.size();
        client_slot &slot = slots[(control & 3) % connection_slots];
        connection &framing = slot.framing;
        now += std::chrono::milliseconds(10 * (control >> 3));

        while (!bytes.empty() && !framing.broken) {
            require(bytes_wanted(framing) > 0, "a connection without a pending reply wants bytes");
            const uint32_t block_size = block_size_of(server, framing.id);
            const bool gathering = framing.request.empty();
            const uint64_t wanted = gathering ? slot.head.size() - slot.head_bytes : bytes_wanted(framing);
            auto piece = bytes.first(static_cast<size_t>(std::min<uint64_t>(wanted, bytes.size())));
            bytes = bytes.subspan(piece.size());
            if (gathering) {
                std::copy(piece.begin(), piece.end(), slot.head.begin() + static_cast<std::ptrdiff_t>(slot.head_bytes));
                if ((slot.head_bytes += piece.size()) < slot.head.size()) continue;
                header head = wire::decode_header(slot.head.data());
                const uint64_t block = block_bytes(head.arg0, block_size);
                const uint64_t most = block == 0 ? 0 : std::max<uint64_t>(1, (1 << 20) / block);
                if (head.command == VESK_CMD_READ_INPUT && block != 0 && head.arg1 > most) {
                    head.arg1 = static_cast<uint32_t>(most);
                    wire::encode_header(head, slot.head.data());
                }
                slot.head_bytes = 0;
                piece = slot.head;
            }
            const auto answered = take_bytes(server, framing, piece, now);
            if (!answered) continue;
            require(framing.replying, "a whole request gets a reply");
            check_reply(framing, *answered, block_size);
            const auto pieces = unsent_reply(framing);
            if (reply_progress(framing, pieces[0].size() + pieces[1].size())) hang_up(slot);
        }
        if (framing.broken || (control & 4)) hang_up(slot);
    }
    return 0;
}
