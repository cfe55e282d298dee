// vesk_control: time-outs and block size kept here, the rest sent to the server.
#include "exchange.h"

namespace {

constexpr uint32_t hardware_setup_timeout_ms = 10000;

uint32_t clamped_ms(int32_t value) { return value < 0 ? 0u : static_cast<uint32_t>(value); }

int32_t set_block_size(vesk_instance *instance, int32_t value) {
    if (is_connected(instance)) return pre_return(instance, VESK_CONNECTED, "Cannot change block size while connected");
    if (value < VESK_MIN_BLOCK_SIZE || value > VESK_MAX_BLOCK_SIZE)
        return pre_return(instance, VESK_INVALID_ARGUMENT, "Legal block sizes are %d to %d samples per block",
                          VESK_MIN_BLOCK_SIZE, VESK_MAX_BLOCK_SIZE);
    instance->block_size = value;
    return pre_return(instance, VESK_SUCCESS, "Block size set to %d samples per block", value);
}

int32_t send_setting(vesk_instance *instance, uint32_t code, int32_t value) {
    if (!is_connected(instance))
        return pre_return(instance, VESK_NOT_CONNECTED, "Must be connected to server to change this setting (0x%08X)",
                          code);
    vesk_header request{};
    request.command = VESK_CMD_CONTROL;
    request.arg0 = code;
    request.arg1 = static_cast<uint32_t>(value);

    // The hardware takes a while to apply a new set-up word.
    uint32_t saved_timeout = instance->progress_timeout_ms;
    if (code == VESK_CONTROL_HARDWARE_SETUP && saved_timeout != 0 && saved_timeout < hardware_setup_timeout_ms)
        instance->progress_timeout_ms = hardware_setup_timeout_ms;
    int32_t result = issue(instance, request, nullptr, nullptr, nullptr, nullptr);
    instance->progress_timeout_ms = saved_timeout;
    return pre_return(instance, result, nullptr);
}

}  // namespace

extern "C" int32_t vesk_control(vesk_instance *instance, uint32_t code, int32_t value) {
    switch (code) {
    case VESK_CONTROL_CONNECT_TIMEOUT:
        instance->connect_timeout_ms = clamped_ms(value);
        return pre_return(instance, VESK_SUCCESS, "Connect timeout set to %u ms", instance->connect_timeout_ms);
    case VESK_CONTROL_PROGRESS_TIMEOUT:
        instance->progress_timeout_ms = clamped_ms(value);
        return pre_return(instance, VESK_SUCCESS, "Progress timeout set to %u ms", instance->progress_timeout_ms);
    case VESK_CONTROL_BLOCK_SIZE: return set_block_size(instance, value);
    case VESK_CONTROL_SAMPLE_RATE:
    case VESK_CONTROL_LOOPBACK:
    case VESK_CONTROL_HARDWARE_SETUP: return send_setting(instance, code, value);
    default: return pre_return(instance, VESK_INVALID_ARGUMENT, "Unsupported argument 0x%08X to vesk_control", code);
    }
}
