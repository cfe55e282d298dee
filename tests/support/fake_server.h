// A scripted audio server for tests: a real TCP peer on 127.0.0.1 that runs
// in a thread of the test process.
//
//   fake::server srv;                       // binds 127.0.0.1:0, starts serving
//   srv.set_script([](const fake::request &r) {
//       if (r.command == VESK_CMD_QUERY) return fake::ordinary(2, 8);
//       return fake::ordinary();
//   });
//   vesk_connect(instance, srv.address().c_str());   // "127.0.0.1:PORT"
//   ...
//   auto seen = srv.requests();              // everything received so far
//
// The server accepts one connection at a time; when the peer closes it (or a
// reply hangs up) it accepts the next. Every complete request is recorded
// (header words in host order, payload bytes as received) before the script
// is asked for its reply, so a request is in requests() once the client has
// sent it and the server has read it. Without a script every request gets
// an ordinary reply.
//
// Misbehaviour is part of the reply: late() delays it, trickled() sends it in
// small pieces with pauses, with_magic() and with_length() falsify the
// header, urgent() puts an out-of-band byte before it, hang_up() closes the
// connection instead of answering, reset() does so abortively (the peer sees
// ECONNRESET) and silence() never answers.
// The destructor ends every wait at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame.h"
#include "veskclient.h"

namespace fake {

// A request as received: the header in host order and its payload.
struct request : wire::header {
    std::vector<uint8_t> payload;
};

enum class reply_kind { answer, hang_up, silence, reset };

struct reply {
    reply_kind kind = reply_kind::answer;
    wire::header head{VESK_MAGIC, 0, 0, 0, 0, 0, 0};
    std::optional<uint32_t> length;  // header length word; payload size when unset
    std::vector<uint8_t> payload;
    std::chrono::milliseconds delay{0};  // before the first byte
    std::size_t piece = 0;               // when not 0, send this many bytes at a time
    std::chrono::milliseconds pause{0};  // between two pieces
    bool urgent = false;                 // one out-of-band byte before the reply
    bool close_after = false;            // hang up once the reply is sent
};

using script = std::function<reply(const request &)>;

// A copy of r with one field set.
template <class Field, class Value>
reply with(reply r, Field reply::*field, Value value) {
    r.*field = value;
    return r;
}

// Replies.
inline reply ordinary(uint32_t val0 = 0, uint32_t val1 = 0, uint32_t val2 = 0, uint32_t val3 = 0) {
    return with(reply{}, &reply::head, wire::header{VESK_MAGIC, 0, val0, val1, val2, val3, 0});
}
reply message(std::string_view text);
reply error(int32_t code, std::string_view text);
reply data(std::vector<uint8_t> bytes, uint32_t val0 = 0, uint32_t val1 = 0, uint32_t val2 = 0);
inline reply hang_up() { return with(reply{}, &reply::kind, reply_kind::hang_up); }
inline reply silence() { return with(reply{}, &reply::kind, reply_kind::silence); }
// Closes the connection with a reset instead of answering.
inline reply reset() { return with(reply{}, &reply::kind, reply_kind::reset); }

// Misbehaviour, applied to a copy of a reply.
inline reply then_close(reply r) { return with(r, &reply::close_after, true); }
inline reply late(reply r, std::chrono::milliseconds delay) { return with(r, &reply::delay, delay); }
inline reply trickled(reply r, std::size_t piece, std::chrono::milliseconds pause) {
    return with(with(r, &reply::piece, piece), &reply::pause, pause);
}
inline reply with_magic(reply r, uint32_t magic) {
    r.head.magic = magic;
    return r;
}
inline reply with_length(reply r, uint32_t claimed_length) { return with(r, &reply::length, claimed_length); }
inline reply urgent(reply r) { return with(r, &reply::urgent, true); }

// Scripts.
// The n-th request gets the n-th reply; requests beyond the list get ordinary().
script in_order(std::vector<reply> replies);

// Payload helpers: 32-bit words travel most significant byte first.
std::vector<uint8_t> big_endian_words(const std::vector<uint32_t> &words);
// The payload read as 32-bit samples.
std::vector<int32_t> payload_samples(const request &r);

struct server_state;

struct server {
    explicit server(script s = {});  // none: ordinary() to everything
    ~server();
    server(const server &) = delete;
    server &operator=(const server &) = delete;

    uint16_t port() const;
    std::string address() const;  // "127.0.0.1:PORT"
    void set_script(script s);    // applies from the next request on
    std::vector<request> requests() const;
    int connections() const;  // accepted so far
    // Waits until at least count requests are recorded; false on time-out.
    bool wait_for_requests(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    std::unique_ptr<server_state> state;
};

}  // namespace fake
