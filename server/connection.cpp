#include "connection.h"

#include "veskclient.h"

#include <algorithm>

namespace vesksim {

namespace {

uint64_t request_size(const connection &c) {
    if (c.request.size() < VESK_HEADER_BYTES) return VESK_HEADER_BYTES;
    return VESK_HEADER_BYTES + uint64_t{wire::load_be32(c.request.data() + 24)};
}

void queue_reply(connection &c, reply r) {
    r.head.magic = VESK_MAGIC;
    r.head.length = static_cast<uint32_t>(r.payload.size());
    wire::encode_header(r.head, c.reply_head.data());
    c.reply_payload = std::move(r.payload);
    c.reply_sent = 0;
    c.replying = true;
    c.close_after_reply = r.close_after;
}

}  // namespace

uint64_t bytes_wanted(const connection &c) {
    if (c.broken || c.replying) return 0;
    return request_size(c) - c.request.size();
}

std::optional<header> take_bytes(server_state &server, connection &c, std::span<const uint8_t> bytes,
                                 sim_clock::time_point now) {
    const uint64_t wanted = bytes_wanted(c);
    if (wanted == 0) return std::nullopt;
    bytes = bytes.first(std::min<uint64_t>(bytes.size(), wanted));
    c.request.insert(c.request.end(), bytes.begin(), bytes.end());
    if (c.request.size() < VESK_HEADER_BYTES) return std::nullopt;

    const header head = wire::decode_header(c.request.data());
    if (c.request.size() == VESK_HEADER_BYTES) {
        if (head.magic != VESK_MAGIC || head.length > max_request_payload) {
            c.broken = true;
            return std::nullopt;
        }
        c.request.reserve(VESK_HEADER_BYTES + head.length);
    }
    if (c.request.size() < request_size(c)) return std::nullopt;

    const std::span<const uint8_t> payload(c.request.data() + VESK_HEADER_BYTES, head.length);
    reply r = handle_request(server, c.id, head, payload, now);
    c.request.clear();
    c.request.shrink_to_fit();
    queue_reply(c, std::move(r));
    return head;
}

std::array<std::span<const uint8_t>, 2> unsent_reply(const connection &c) {
    if (!c.replying) return {};
    const uint64_t head_size = c.reply_head.size();
    if (c.reply_sent < head_size)
        return {std::span<const uint8_t>(c.reply_head).subspan(c.reply_sent),
                std::span<const uint8_t>(c.reply_payload)};
    return {std::span<const uint8_t>(c.reply_payload).subspan(c.reply_sent - head_size), std::span<const uint8_t>()};
}

bool reply_progress(connection &c, uint64_t sent) {
    c.reply_sent += sent;
    if (c.reply_sent < c.reply_head.size() + c.reply_payload.size()) return false;
    c.replying = false;
    c.reply_payload = {};
    return c.close_after_reply;
}

}  // namespace vesksim
