// Instances for tests: freed (and disconnected) at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "exchange.h"
#include "fake_server.h"
#include "instance.h"
#include "veskclient.h"

struct instance_deleter {
    void operator()(vesk_instance *instance) const {
        vesk_connect(instance, nullptr);
        vesk_shutdown(instance);
    }
};
using instance_ptr = std::unique_ptr<vesk_instance, instance_deleter>;

inline instance_ptr new_instance(int32_t block_size = 0) {
    instance_ptr instance(vesk_init(0, nullptr));
    if (block_size != 0) vesk_control(instance.get(), VESK_CONTROL_BLOCK_SIZE, block_size);
    return instance;
}

// What a call returned and the message text it left.
struct outcome {
    int32_t code;
    std::string text;
    bool operator==(const outcome &) const = default;
};
inline std::ostream &operator<<(std::ostream &out, const outcome &o) {
    return out << o.code << " \"" << o.text << "\"";
}
inline outcome outcome_of(vesk_instance *instance, int32_t code) { return {code, vesk_errtext(instance)}; }

// A request's header words after the magic: command, arg0 to arg3, length.
using request_words = std::array<uint32_t, 6>;
inline request_words words_of(const fake::request &r) { return {r.command, r.arg0, r.arg1, r.arg2, r.arg3, r.length}; }

// An instance connected to its own fake server; the handshake is request 0.
struct connected_client {
    fake::server server;
    instance_ptr instance = new_instance();

    explicit connected_client(int32_t block_size = 16, int32_t progress_timeout_ms = 2000,
                              std::vector<fake::reply> replies = {}) {
        vesk_control(get(), VESK_CONTROL_BLOCK_SIZE, block_size);
        // A short test time-out applies from the first request after the
        // handshake, so a loaded machine cannot fail the handshake itself.
        EXPECT_EQ(vesk_connect(get(), server.address().c_str()), VESK_SUCCESS) << vesk_errtext(get());
        vesk_control(get(), VESK_CONTROL_PROGRESS_TIMEOUT, progress_timeout_ms);
        if (!replies.empty()) server.set_script(fake::in_order(std::move(replies)));
    }
    vesk_instance *get() const { return instance.get(); }
    outcome result(int32_t code) const { return outcome_of(get(), code); }
    bool still_connected() const { return instance->socket != -1; }
    // The requests that followed the handshake, and their header words.
    std::vector<fake::request> requests() const {
        std::vector<fake::request> all = server.requests();
        return std::vector<fake::request>(all.begin() + (all.empty() ? 0 : 1), all.end());
    }
    std::vector<request_words> sent() const {
        std::vector<request_words> words;
        for (const fake::request &r : requests()) words.push_back(words_of(r));
        return words;
    }
    // A query whose reply's val0 comes back, to show the stream is still in step.
    uint32_t next_query_value() const {
        uint32_t value = 0xEEEEEEEE;
        vesk_query(get(), 1, &value, nullptr, nullptr, nullptr);
        return value;
    }
};
