#include "sequence.h"

#include <cstdio>

#include "call_failure.h"

namespace {

// Samples, over all output channels, that must play before the first junk
// or data block for the server to synchronise capture with playback.
constexpr uint64_t minimum_sync_samples = 4000;

// Where segments go: every segment spans all output channels.
struct segment_target {
    vesk_instance *instance;
    uint32_t output_channels;
    uint64_t &capture_blocks;  // blocks staged for capture so far
};

void count_captured(const segment_target &target, uint32_t flags, uint32_t block_count) {
    if ((flags & VESK_STAGE_NO_CAPTURE) == 0) target.capture_blocks += block_count;
}

bool stage_segment(const segment_target &target, const char *label, uint32_t flags, const int32_t *const *channels,
                   uint32_t block_count, uint32_t tag) {
    int32_t code = vesk_stage_output(target.instance, flags, target.output_channels, channels, block_count, tag);
    if (code == VESK_SUCCESS) {
        count_captured(target, flags, block_count);
        return true;
    }
    std::printf("vesk_stage_output (%s): %s: %s\n", label, vesk_returntext(target.instance, code),
                vesk_errtext(target.instance));
    return false;
}

// Every block of the extended sequence under one tag.
bool stage_extended_blocks(const segment_target &target, uint32_t samples_per_block, const stimulus_table &stimulus,
                           int32_t sequence_length, bool loop, uint32_t tag) {
    for (int32_t b = 0; b < sequence_length; ++b) {
        stimulus_table block{};
        for (uint32_t ch = 0; ch < target.output_channels; ++ch)
            if (stimulus[ch]) block[ch] = stimulus[ch] + static_cast<std::size_t>(b) * samples_per_block;
        uint32_t flags = VESK_STAGE_DATA | (loop && b == 0 ? VESK_STAGE_LOOP_START : 0);
        int32_t code = vesk_stage_output(target.instance, flags, target.output_channels, block.data(), 1, tag);
        if (code != VESK_SUCCESS) {
            std::printf("vesk_stage_output (data block %d/%d): %s: %s\n", b + 1, sequence_length,
                        vesk_returntext(target.instance, code), vesk_errtext(target.instance));
            return false;
        }
        count_captured(target, flags, 1);
    }
    return true;
}

}  // namespace

void plan_sequence(run_settings &settings, uint32_t output_channels) {
    if (settings.extended_mode != 0 && settings.ramp) {
        std::printf("Warning: ramp-up and ramp-down not supported in extended mode; ignoring\n");
        settings.ramp = false;
    }
    // Without output channels there is nothing to pad.
    if (!settings.sync_check || output_channels == 0) return;
    // In 64 bits: a long quiet run must not wrap round to a small total.
    uint64_t samples_per_quiet_block = uint64_t{output_channels} * settings.samples_per_block;
    uint64_t leading_blocks = static_cast<uint64_t>(settings.start_quiet_blocks) + (settings.ramp ? 1 : 0);
    uint64_t total = samples_per_quiet_block * leading_blocks;
    if (total >= minimum_sync_samples) return;
    uint64_t extra = (minimum_sync_samples - total) / samples_per_quiet_block + 1;
    std::printf("Adding %d quiet block%s to meet synchronization requirements\n", static_cast<int>(extra),
                extra > 1 ? "s" : "");
    settings.start_quiet_blocks += static_cast<int32_t>(extra);
}

bool set_loopback(const run_settings &settings, vesk_instance *instance) {
    int32_t code = vesk_control(instance, VESK_CONTROL_LOOPBACK, settings.loopback);
    if (code == VESK_SUCCESS) return true;
    print_call_failure("vesk_control (loopback): %s: %s.\n", instance, code);
    return false;
}

bool stage_sequence(const run_settings &settings, vesk_instance *instance, uint32_t output_channels,
                    const stimulus_table &stimulus, int32_t sequence_length, uint64_t &capture_blocks) {
    capture_blocks = 0;
    const segment_target target{instance, output_channels, capture_blocks};
    // Quiet, ramp and junk blocks are captured only in promiscuous mode.
    const uint32_t not_captured = settings.promiscuous ? 0 : VESK_STAGE_NO_CAPTURE;
    const int32_t *const *data = stimulus.data();
    bool normal = settings.extended_mode == 0;
    uint32_t sequence_tag = 1;

    int32_t code = vesk_stage_output(instance, VESK_STAGE_RESET, 0, nullptr, 0, 0);
    if (code != VESK_SUCCESS) {
        print_call_failure("vesk_stage_output (reset): %s: %s\n", instance, code);
        return false;
    }
    if (settings.start_quiet_blocks != 0 &&
        !stage_segment(target, "start-quiet", VESK_STAGE_DATA | not_captured, nullptr,
                       static_cast<uint32_t>(settings.start_quiet_blocks), sequence_tag++))
        return false;
    if (settings.ramp && !stage_segment(target, "ramp-up", VESK_STAGE_RAMP_UP | not_captured, data, 1, sequence_tag++))
        return false;
    if (!normal && !stage_extended_blocks(target, settings.samples_per_block, stimulus, sequence_length,
                                          settings.extended_mode == 2, sequence_tag++))
        return false;
    if (normal && settings.junk_blocks > 0 &&
        !stage_segment(target, "junk", VESK_STAGE_DATA | not_captured, data,
                       static_cast<uint32_t>(settings.junk_blocks), sequence_tag++))
        return false;
    if (normal && !stage_segment(target, "data", VESK_STAGE_DATA, data, static_cast<uint32_t>(settings.block_count),
                                 sequence_tag++))
        return false;
    if (settings.ramp &&
        !stage_segment(target, "ramp-down", VESK_STAGE_RAMP_DOWN | not_captured, data, 1, sequence_tag++))
        return false;
    if (settings.end_quiet_blocks != 0 &&
        !stage_segment(target, "end-quiet", VESK_STAGE_DATA | not_captured, nullptr,
                       static_cast<uint32_t>(settings.end_quiet_blocks), sequence_tag++))
        return false;
    return true;
}
