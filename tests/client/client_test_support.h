// Instances for tests: freed (and disconnected) at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
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

inline instance_ptr new_instance() { return instance_ptr(vesk_init(0, nullptr)); }

// An instance connected to its own fake server; the handshake is request 0.
struct connected_client {
    fake::server server;
    instance_ptr instance = new_instance();

    explicit connected_client(int32_t block_size = 16, int32_t progress_timeout_ms = 2000) {
        vesk_control(get(), VESK_CONTROL_BLOCK_SIZE, block_size);
        // A short test time-out applies from the first request after the
        // handshake, so a loaded machine cannot fail the handshake itself.
        EXPECT_EQ(vesk_connect(get(), server.address().c_str()), VESK_SUCCESS) << text();
        vesk_control(get(), VESK_CONTROL_PROGRESS_TIMEOUT, progress_timeout_ms);
    }
    vesk_instance *get() const { return instance.get(); }
    std::string text() const { return vesk_errtext(instance.get()); }
    bool still_connected() const { return instance->socket != -1; }
    void answer(std::vector<fake::reply> replies) {
        server.set_script(fake::in_order(std::move(replies)));
    }
    // The requests that followed the handshake.
    std::vector<fake::request> requests() const {
        std::vector<fake::request> all = server.requests();
        return std::vector<fake::request>(all.begin() + (all.empty() ? 0 : 1), all.end());
    }
};
