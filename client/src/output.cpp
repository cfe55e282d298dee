// Staging output segments and controlling output.
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "byte_order.h"
#include "exchange.h"

namespace {

constexpr uint32_t stage_data_flags = VESK_STAGE_DATA | VESK_STAGE_RAMP_UP | VESK_STAGE_RAMP_DOWN;
constexpr uint32_t most_channels = 32;

// A linear fade by a gain accumulated in double precision, each product
// truncated toward zero.
void apply_ramp(int32_t *samples, std::size_t count, bool rising) {
    const double step = 1.0 / static_cast<double>(count);
    double gain = 0.0;
    for (std::size_t j = 0; j < count; ++j) {
        int32_t &sample = samples[rising ? j : count - 1 - j];
        sample = static_cast<int32_t>(static_cast<double>(sample) * gain);
        gain += step;
        if (gain > 1.0) gain = 1.0;
    }
}

}  // namespace

extern "C" int32_t vesk_stage_output(vesk_instance *instance, uint32_t flags, uint32_t channel_count,
                                     const int32_t *const *channels, uint32_t block_count, uint32_t tag) {
    if (channel_count > most_channels)
        return pre_return(instance, VESK_INVALID_ARGUMENT,
                          "Channel count %u is above the %u channels of a channel mask", channel_count, most_channels);
    uint32_t mask = 0;
    uint32_t channels_with_data = 0;
    uint32_t sent_flags = flags;
    std::unique_ptr<uint32_t[]> payload;
    const std::size_t block_words = static_cast<std::size_t>(instance->block_size);

    if (flags & stage_data_flags) {
        for (uint32_t channel = 0; channels != nullptr && channel < channel_count; ++channel) {
            if (channels[channel] == nullptr) continue;
            mask |= 1u << channel;
            ++channels_with_data;
        }
        if (channels_with_data != 0) {
            const std::size_t words = block_words * channels_with_data;
            payload.reset(new (std::nothrow) uint32_t[words]);
            if (!payload)
                return pre_return(instance, VESK_INVALID_ARGUMENT,
                                  "Could not allocate %zu bytes for %u channels of output data",
                                  words * sizeof(uint32_t), channels_with_data);
            const bool ramp = flags & (VESK_STAGE_RAMP_UP | VESK_STAGE_RAMP_DOWN);
            uint32_t *next = payload.get();
            for (uint32_t channel = 0; channel < channel_count; ++channel) {
                if (!(mask & (1u << channel))) continue;
                const auto *block = reinterpret_cast<const uint32_t *>(channels[channel]);
                if (ramp) {
                    std::memcpy(next, block, block_words * sizeof *next);
                    apply_ramp(reinterpret_cast<int32_t *>(next), block_words, flags & VESK_STAGE_RAMP_UP);
                    wire::to_big_endian(next, block_words);
                } else {
                    wire::copy_to_big_endian(next, block, block_words);
                }
                next += block_words;
            }
        }
        sent_flags = (flags & ~(VESK_STAGE_RAMP_UP | VESK_STAGE_RAMP_DOWN)) | VESK_STAGE_DATA;
    }

    vesk_header request{};
    request.command = VESK_CMD_STAGE_OUTPUT;
    request.arg0 = sent_flags;
    request.arg1 = mask;
    request.arg2 = block_count;
    request.arg3 = tag;
    request.length = static_cast<uint32_t>(block_words * channels_with_data * sizeof(uint32_t));
    int32_t result = issue(instance, request, payload.get(), nullptr, nullptr, nullptr);
    // On success the text stays as it was (or the server's MESSAGE text).
    return pre_return(instance, result, nullptr);
}

extern "C" int32_t vesk_control_output(vesk_instance *instance, uint32_t value) {
    if (instance->block_size == 0)
        return pre_return(instance, VESK_SERVER_STATE, "Cannot set data before setting block size");
    vesk_header request{};
    request.command = VESK_CMD_CONTROL_OUTPUT;
    request.arg0 = value;
    vesk_header reply{};
    int32_t result = issue(instance, request, nullptr, &reply, nullptr, nullptr);
    if (result != VESK_SUCCESS) return pre_return(instance, result, nullptr);
    return pre_return(instance, VESK_SUCCESS, "Operation with flags 0x%08X succeeded", value);
}
