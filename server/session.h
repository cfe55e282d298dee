// The device and the one client session it serves. handle_request turns one
// request into one reply; it is the whole protocol apart from framing.
#pragma once

#include "options.h"
#include "playback.h"
#include "sequence.h"
#include "wire.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace vesksim {

// Settings of the device itself; they outlive sessions.
struct device_state {
    hardware_kind hardware = hardware_kind::c3;
    uint32_t outputs = 2;
    uint32_t inputs = 2;
    uint32_t sample_rate = 48000;
    uint32_t loopback = 0;
    uint32_t setup_word = 0;
    uint32_t supported_mask = 0;
    double speed = 1;
    dut_impairments dut;
};

struct session {
    uint64_t connection = 0;  // the connection that holds it
    uint32_t block_size = 0;
    std::shared_ptr<staged_sequence> staged = std::make_shared<staged_sequence>();
    std::optional<playback> play;
};

struct server_state {
    device_state device;
    std::optional<session> active;
};

device_state make_device(const sim_options &options);

reply handle_request(server_state &server, uint64_t connection, const header &request, std::span<const uint8_t> payload,
                     sim_clock::time_point now);

// A connection has gone; returns whether it held the session.
bool end_connection(server_state &server, uint64_t connection);

}  // namespace vesksim
