#include "session.h"

#include "byte_order.h"
#include "device_facts.h"
#include "format_text.h"
#include "veskclient.h"

#include <algorithm>
#include <bit>

namespace vesksim {

namespace {

constexpr uint32_t all_channels(uint32_t count) { return count >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << count) - 1; }

// Largest DATA reply to one read; a read asking for more gets fewer blocks.
constexpr uint64_t max_read_reply_bytes = 96ull << 20;

bool is_playing(session &s, sim_clock::time_point now) {
    if (!s.play) return false;
    advance(*s.play, now);
    return !s.play->ended;
}

bool master_running(const device_state &device) {
    if (device.hardware != hardware_kind::c3) return true;
    if ((device.supported_mask & device::master_state_bits) == 0) return true;
    return device::is_running(device.setup_word & device::master_state_bits);
}

reply handle_connect(server_state &server, uint64_t connection, const header &request) {
    if (server.active) {
        if (server.active->connection == connection) return error_reply(VESK_SERVER_STATE, "Already connected");
        reply busy = error_reply(VESK_SERVER_STATE, "Server is busy with another client");
        busy.close_after = true;
        return busy;
    }
    if (request.arg0 != VESK_PROTOCOL_VERSION)
        return error_reply(VESK_VERSION_MISMATCH, format_text("Protocol version 0x%08X is not supported; this server "
                                                              "speaks 0x%08X",
                                                              request.arg0, VESK_PROTOCOL_VERSION));
    if (request.arg1 < VESK_MIN_BLOCK_SIZE || request.arg1 > VESK_MAX_BLOCK_SIZE)
        return error_reply(VESK_INVALID_ARGUMENT, format_text("Block size %u is outside %d to %d samples", request.arg1,
                                                              VESK_MIN_BLOCK_SIZE, VESK_MAX_BLOCK_SIZE));
    server.active.emplace();
    server.active->connection = connection;
    server.active->block_size = request.arg1;
    return ordinary_reply();
}

reply set_sample_rate(device_state &device, uint32_t value) {
    const auto rate = static_cast<int32_t>(value);
    if (device.hardware == hardware_kind::c3) {
        if (device::running_master_state(value) == 0)
            return error_reply(VESK_INVALID_ARGUMENT, format_text("Sample rate %d Hz is not supported; choose 16000, "
                                                                  "24000, 32000 or 48000",
                                                                  rate));
    } else if (rate < 1) {
        return error_reply(VESK_INVALID_ARGUMENT,
                           format_text("Sample rate %d Hz is not valid; it must be 1 Hz or more", rate));
    }
    device.sample_rate = value;
    return ordinary_reply();
}

reply set_loopback(device_state &device, uint32_t value) {
    if (value > VESK_LOOPBACK_SERVER)
        return error_reply(VESK_INVALID_ARGUMENT, format_text("Loopback %d is not valid; choose 0 (none), 1 (i2s) or "
                                                              "2 (server)",
                                                              static_cast<int32_t>(value)));
    device.loopback = value;
    return ordinary_reply();
}

reply set_setup_word(device_state &device, uint32_t value) {
    if (device.hardware != hardware_kind::c3)
        return error_reply(VESK_SERVER_ERROR, "This hardware has no audio set-up");
    device.setup_word = (device.setup_word & ~device.supported_mask) | (value & device.supported_mask);
    return ordinary_reply();
}

reply handle_control(server_state &server, const header &request, sim_clock::time_point now) {
    device_state &device = server.device;
    const uint32_t code = request.arg0;
    if (code != VESK_CONTROL_SAMPLE_RATE && code != VESK_CONTROL_LOOPBACK && code != VESK_CONTROL_HARDWARE_SETUP)
        return error_reply(VESK_INVALID_ARGUMENT, format_text("Unsupported control code 0x%08X", code));
    if (is_playing(*server.active, now))
        return error_reply(VESK_SERVER_STATE, "Cannot change settings while output is playing");
    if (code == VESK_CONTROL_SAMPLE_RATE) return set_sample_rate(device, request.arg1);
    if (code == VESK_CONTROL_LOOPBACK) return set_loopback(device, request.arg1);
    return set_setup_word(device, request.arg1);
}

reply handle_query(server_state &server, const header &request, sim_clock::time_point now) {
    const device_state &device = server.device;
    session &s = *server.active;
    switch (request.arg0) {
    case VESK_QUERY_CHANNELS: return ordinary_reply(device.outputs, device.inputs);
    case VESK_QUERY_PLAYBACK: {
        if (!s.play) return ordinary_reply(static_cast<uint32_t>(playback_state::idle));
        advance(*s.play, now);
        return ordinary_reply(static_cast<uint32_t>(state_of(*s.play, now)), static_cast<uint32_t>(s.play->played));
    }
    case VESK_QUERY_SETUP:
        if (device.hardware != hardware_kind::c3)
            return error_reply(VESK_SERVER_ERROR, "This hardware has no audio set-up");
        return ordinary_reply(device.setup_word, device.supported_mask);
    default: return error_reply(VESK_INVALID_ARGUMENT, format_text("Unsupported query code 0x%08X", request.arg0));
    }
}

std::vector<int32_t> host_samples(std::span<const uint8_t> payload) {
    std::vector<int32_t> samples(payload.size() / 4);
    wire::copy_from_big_endian(reinterpret_cast<uint32_t *>(samples.data()), payload.data(), samples.size());
    return samples;
}

reply handle_stage(server_state &server, const header &request, std::span<const uint8_t> payload,
                   sim_clock::time_point now) {
    session &s = *server.active;
    const uint32_t flags = request.arg0;
    const uint32_t mask = request.arg1;
    const uint64_t channels = static_cast<uint64_t>(std::popcount(mask));
    const uint64_t expected = 4 * channels * s.block_size;
    if (payload.size() != expected)
        return error_reply(VESK_INVALID_ARGUMENT, format_text("Payload of %zu bytes does not match %u channels of %u "
                                                              "samples (%llu bytes)",
                                                              payload.size(), static_cast<unsigned>(channels),
                                                              s.block_size, static_cast<unsigned long long>(expected)));
    if (mask & ~all_channels(server.device.outputs))
        return error_reply(VESK_INVALID_ARGUMENT, format_text("Channel mask 0x%08X names outputs this device lacks "
                                                              "(it has %u)",
                                                              mask, server.device.outputs));
    if ((flags & VESK_STAGE_RESET) && mask != 0)
        return error_reply(VESK_INVALID_ARGUMENT, "A reset carries no channel data");
    if (is_playing(s, now)) return error_reply(VESK_SERVER_STATE, "Cannot stage output while output is playing");

    if (flags & VESK_STAGE_RESET) {
        s.staged = std::make_shared<staged_sequence>();
        return ordinary_reply();
    }
    if (!fits_budget(*s.staged, payload.size() / 4))
        return error_reply(VESK_SERVER_ERROR, format_text("Staged sequence would exceed the server's limit of %llu MiB",
                                                          static_cast<unsigned long long>(staging_budget_bytes >> 20)));
    // A sequence that a finished playback still reads from is copied, not changed.
    if (s.staged.use_count() > 1) s.staged = std::make_shared<staged_sequence>(*s.staged);
    append_segment(*s.staged, {flags, mask, request.arg2, request.arg3, 0, host_samples(payload)});
    return ordinary_reply();
}

// The corners are set for whatever rate the client picks later, so they
// are checked against the rate output starts at.
std::optional<std::string> unfit_corner(const dut_impairments &dut, uint32_t sample_rate) {
    const std::pair<const char *, std::optional<double>> corners[] = {{"highpass", dut.highpass_hz},
                                                                      {"lowpass", dut.lowpass_hz}};
    for (const auto &[name, corner] : corners)
        if (corner && *corner >= sample_rate / 2.0)
            return format_text("The device under test's %s corner of %g Hz is not below half the sample rate of "
                               "%u Hz",
                               name, *corner, sample_rate);
    return std::nullopt;
}

reply handle_control_output(server_state &server, const header &request, sim_clock::time_point now) {
    session &s = *server.active;
    const uint32_t value = request.arg0;
    if (value == VESK_OUTPUT_STOP) {
        if (s.play) stop_playback(*s.play, now);
        return ordinary_reply();
    }
    if (value != VESK_OUTPUT_START && value != VESK_OUTPUT_START_UNSYNCHRONIZED)
        return error_reply(VESK_INVALID_ARGUMENT, format_text("Unsupported output control 0x%08X", value));
    if (is_playing(s, now)) return error_reply(VESK_SERVER_STATE, "Output is already playing");
    if (!master_running(server.device))
        return error_reply(VESK_POWERED_DOWN, format_text("Codec master state is not running (set-up word 0x%08X)",
                                                          server.device.setup_word));
    const device_state &device = server.device;
    if (device.loopback == VESK_LOOPBACK_NONE)
        if (auto refusal = unfit_corner(device.dut, device.sample_rate))
            return error_reply(VESK_SERVER_ERROR, *refusal);
    capture_setup setup{device.loopback, s.block_size, device.outputs, value == VESK_OUTPUT_START, device.dut};
    setup.sample_rate = device.sample_rate;
    s.play = start_playback(s.staged, setup, device.sample_rate, device.speed, now);
    return ordinary_reply();
}

reply handle_read_input(server_state &server, const header &request, sim_clock::time_point now) {
    session &s = *server.active;
    const uint32_t mask = request.arg0;
    const uint32_t wanted = request.arg1;
    if (mask == 0) return error_reply(VESK_INVALID_ARGUMENT, "Channel mask selects no input");
    if (mask & ~all_channels(server.device.inputs))
        return error_reply(VESK_INVALID_ARGUMENT, format_text("Channel mask 0x%08X names inputs this device lacks "
                                                              "(it has %u)",
                                                              mask, server.device.inputs));
    if (wanted == 0) return error_reply(VESK_INVALID_ARGUMENT, "Block count must not be 0");
    if (!s.play) return ordinary_reply(0);

    const uint64_t block_bytes = 4ull * static_cast<uint64_t>(std::popcount(mask)) * s.block_size;
    const uint64_t most = std::min<uint64_t>(wanted, std::max<uint64_t>(1, max_read_reply_bytes / block_bytes));
    auto run = take_captured(*s.play, most, now);
    if (!run) return ordinary_reply(stream_finished(*s.play) ? 1 : 0);
    return data_reply(captured_payload(*s.play, *run, mask), 0, run->tag, static_cast<uint32_t>(run->first),
                      run->count);
}

reply handle_link(std::span<const uint8_t> payload) {
    return data_reply(payload_bytes(payload.begin(), payload.end()));
}

}  // namespace

device_state make_device(const sim_options &options) {
    device_state device;
    device.hardware = options.hardware;
    device.outputs = options.outputs;
    device.inputs = options.inputs;
    device.supported_mask = options.supported_mask;
    device.setup_word = options.setup_word & options.supported_mask;
    device.speed = options.speed;
    device.dut = options.dut;
    return device;
}

reply handle_request(server_state &server, uint64_t connection, const header &request, std::span<const uint8_t> payload,
                     sim_clock::time_point now) {
    if (request.command == VESK_CMD_CONNECT) return handle_connect(server, connection, request);
    if (!server.active || server.active->connection != connection)
        return error_reply(VESK_NOT_INITIALIZED, "Not connected: send CONNECT first");
    switch (request.command) {
    case VESK_CMD_CONTROL: return handle_control(server, request, now);
    case VESK_CMD_STAGE_OUTPUT: return handle_stage(server, request, payload, now);
    case VESK_CMD_CONTROL_OUTPUT: return handle_control_output(server, request, now);
    case VESK_CMD_READ_INPUT: return handle_read_input(server, request, now);
    case VESK_CMD_QUERY: return handle_query(server, request, now);
    case VESK_CMD_LINK: return handle_link(payload);
    default: return error_reply(VESK_INVALID_ARGUMENT, format_text("Unknown command %u", request.command));
    }
}

bool end_connection(server_state &server, uint64_t connection) {
    if (!server.active || server.active->connection != connection) return false;
    server.active.reset();
    return true;
}

}  // namespace vesksim
