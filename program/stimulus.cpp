#include "stimulus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sample_buffer.h"

namespace {

constexpr double pi = 3.141592653589793;
constexpr double full_scale_24bit = 8388607.0;

// A 24-bit value in the upper 24 bits of the sample. NaN (a sample rate of
// 0 makes the sine undefined) gives silence rather than an undefined cast.
int32_t upper_24_bits(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(value)) << 8);
}

int32_t dc_word(double amplitude) { return upper_24_bits(full_scale_24bit * amplitude); }

void fill_sine(const run_settings &settings, generated_stimuli &stimuli) {
    double n = static_cast<double>(settings.samples_per_block);
    stimuli.block_duration = n / static_cast<double>(settings.sample_rate);
    // Whole cycles, so that a repeated block plays a continuous sine.
    stimuli.cycles_per_block = std::trunc(static_cast<double>(settings.frequency_hz) * stimuli.block_duration + 0.5);
    for (uint32_t i = 0; i < settings.samples_per_block; ++i) {
        double phase = ((static_cast<double>(i) / n) * stimuli.cycles_per_block * pi) * 2;
        stimuli.sine_block[i] = upper_24_bits(std::sin(phase) * settings.amplitude * full_scale_24bit);
    }
}

// Filled by the same precedence as the channel rules (framing pattern, DC
// level, silence), so a channel's line always names what it plays.
void fill_pattern(const run_settings &settings, sample_block &pattern) {
    if (settings.framing_pattern) {
        for (uint32_t i = 0; i < settings.samples_per_block; ++i)
            pattern[i] = static_cast<int32_t>(0x7FFF0000u | (i & 0xFFFFu));
    } else if (settings.dc_level) {
        std::fill(pattern.begin(), pattern.end(), dc_word(settings.amplitude));
    } else {
        std::fill(pattern.begin(), pattern.end(), 0);
    }
}

enum class stimulus_kind { external, framing_pattern, dc_level, silence, sine };

// The first rule that applies decides.
stimulus_kind stimulus_kind_of(const run_settings &settings, bool has_playback_file) {
    if (has_playback_file) return stimulus_kind::external;
    if (settings.framing_pattern) return stimulus_kind::framing_pattern;
    if (settings.dc_level) return stimulus_kind::dc_level;
    if (settings.silence) return stimulus_kind::silence;
    return stimulus_kind::sine;
}

}  // namespace

bool generate_stimuli(const run_settings &settings, generated_stimuli &stimuli) {
    if (!allocate_samples(stimuli.sine_block, settings.samples_per_block, "the sine block") ||
        !allocate_samples(stimuli.pattern_block, settings.samples_per_block, "the pattern block"))
        return false;
    fill_sine(settings, stimuli);
    fill_pattern(settings, stimuli.pattern_block);
    return true;
}

bool choose_stimuli(const run_settings &settings, uint32_t output_channels, const generated_stimuli &stimuli,
                    const playback_samples &playback, stimulus_table &stimulus) {
    for (uint32_t ch = 0; ch < output_channels; ++ch) {
        int channel = static_cast<int>(ch);
        stimulus_kind kind = stimulus_kind_of(settings, !playback.data[ch].empty());
        if (settings.extended_mode != 0 && kind != stimulus_kind::external && kind != stimulus_kind::silence) {
            std::printf("In extended mode, channel stimulus must be external data or silence; "
                        "channel %d is not\n",
                        channel);
            return false;
        }
        switch (kind) {
        case stimulus_kind::external:
            std::printf("Channel %d stimulus data is external input.\n", channel);
            stimulus[ch] = playback.data[ch].data();
            break;
        case stimulus_kind::framing_pattern:
            std::printf("Channel %d stimulus data is non-audio framing pattern.\n", channel);
            stimulus[ch] = stimuli.pattern_block.data();
            break;
        case stimulus_kind::dc_level:
            std::printf("Channel %d stimulus data is DC level (0x%08X, approximately %.2fV).\n", channel,
                        static_cast<uint32_t>(dc_word(settings.amplitude)), 2.5 * settings.amplitude + 2.5);
            stimulus[ch] = stimuli.pattern_block.data();
            break;
        case stimulus_kind::silence:
            std::printf("Channel %d stimulus data is silence\n", channel);
            stimulus[ch] = nullptr;
            break;
        case stimulus_kind::sine:
            std::printf("Channel %d stimulus data is a %.2f Hz sine wave.\n", channel,
                        stimuli.cycles_per_block / stimuli.block_duration);
            stimulus[ch] = stimuli.sine_block.data();
            break;
        }
    }
    return true;
}
