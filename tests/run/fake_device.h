// A device played by the fake server: it answers set-up, staging and control
// requests as a real one would, hands out the scripted reads and then ends
// the stream. A fault replaces the reply to any request it picks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fake_server.h"

struct hardware_setup {
    uint32_t word;
    uint32_t supported_mask;
};

struct fake_device {
    std::optional<hardware_setup> setup;  // none: refuses the set-up query like Plenar-B
    uint32_t outputs = 1;
    uint32_t inputs = 1;
    std::vector<fake::reply> reads;               // READ_INPUT replies in order, then end of stream
    std::vector<uint32_t> playback_states = {4};  // QUERY 2 replies in order; the last repeats
    std::function<std::optional<fake::reply>(const fake::request &)> fault;
};

fake::script device_script(fake_device device);

// Read replies.
fake::reply captured_blocks(const std::vector<int32_t> &samples, uint32_t tag, uint32_t sequence);
fake::reply nothing_ready();
fake::reply end_of_stream();

// A request as one line: command name, the four arguments and the payload length.
std::string describe(const fake::request &request);
std::vector<std::string> describe(const std::vector<fake::request> &requests);
// The payload read as big-endian 32-bit samples.
std::vector<int32_t> payload_samples(const fake::request &request);
// Requests with the given command, in order.
std::vector<fake::request> with_command(const std::vector<fake::request> &requests, uint32_t command);
