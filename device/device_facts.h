// What the program, its hardware settings and vesksim know alike about the
// device: the codec's master state in the set-up word, the sample rates it
// runs at, and how many channels a device has at most. Block-size limits are
// the library's (VESK_MIN_BLOCK_SIZE, VESK_MAX_BLOCK_SIZE).
#pragma once

#include <cstdint>
#include <iterator>

namespace device {

// One bit per channel in a channel mask.
inline constexpr int max_channels = 32;

// The codec master state: the low four bits of the set-up word.
inline constexpr uint32_t master_state_bits = 0x0000000F;
inline constexpr uint32_t master_off = 0;
inline constexpr uint32_t master_standby = 1;

// Running at one of the codec's sample rates: states 2 to 5, in this order.
inline constexpr uint32_t codec_sample_rates[] = {16000, 24000, 32000, 48000};
inline constexpr uint32_t first_running_state = 2;

// The master state that runs the codec at sample_rate; 0 when it has no such rate.
constexpr uint32_t running_master_state(uint32_t sample_rate) {
    for (uint32_t i = 0; i < std::size(codec_sample_rates); ++i)
        if (codec_sample_rates[i] == sample_rate) return first_running_state + i;
    return 0;
}

constexpr bool is_running(uint32_t master_state) {
    return master_state >= first_running_state && master_state < first_running_state + std::size(codec_sample_rates);
}

}  // namespace device
