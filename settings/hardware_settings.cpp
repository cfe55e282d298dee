#include "hardware_settings.h"

#include "device_facts.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

struct settings_keyword {
    const char *text;
    uint32_t word_bits;
    uint32_t mask_bits;
};

using device::master_state_bits;
constexpr uint32_t receiver_b_bits = 0x00000F00;
constexpr uint32_t receiver_a_bits = 0x0000F000;
constexpr uint32_t aux_bits = 0x000F0000;
constexpr uint32_t mic_amp_bits = 0x00F00000;
constexpr uint32_t mic_preamp_bit = 0x01000000;
constexpr uint32_t mic_bias_bit = 0x02000000;
constexpr uint32_t probe_power_bit = 0x04000000;

constexpr settings_keyword keywords[] = {
    {"ppon", probe_power_bit, probe_power_bit},
    {"ppoff", 0, probe_power_bit},
    {"mbon", mic_bias_bit, mic_bias_bit},
    {"mboff", 0, mic_bias_bit},
    {"mpon", mic_preamp_bit, mic_preamp_bit},
    {"mpoff", 0, mic_preamp_bit},
    {"moff", 0x00000000, mic_amp_bits},
    {"mlo", 0x00100000, mic_amp_bits},
    {"mhi", 0x00200000, mic_amp_bits},
    {"mfm", 0x00400000, mic_amp_bits},
    {"mfma", 0x00500000, mic_amp_bits},
    {"mfmb", 0x00600000, mic_amp_bits},
    {"mfmab", 0x00700000, mic_amp_bits},
    {"auxoff", 0x00000000, aux_bits},
    {"auxe", 0x00010000, aux_bits},
    {"auxa", 0x00020000, aux_bits},
    {"auxb", 0x00030000, aux_bits},
    {"aoff", 0x00000000, receiver_a_bits},
    {"alo", 0x00001000, receiver_a_bits},
    {"ahi", 0x00002000, receiver_a_bits},
    {"boff", 0x00000000, receiver_b_bits},
    {"blo", 0x00000100, receiver_b_bits},
    {"bhi", 0x00000200, receiver_b_bits},
};

// The longest keyword the text begins with, or null.
const settings_keyword *keyword_at(const char *text) {
    const settings_keyword *longest = nullptr;
    for (const settings_keyword &keyword : keywords) {
        size_t length = std::strlen(keyword.text);
        if (strncasecmp(text, keyword.text, length) == 0 && (!longest || length > std::strlen(longest->text)))
            longest = &keyword;
    }
    return longest;
}

// The name of a field value, or null when the value has none.
template <size_t count>
const char *value_name(uint32_t value, const char *const (&names)[count]) {
    return value < count ? names[value] : nullptr;
}

template <size_t count>
void append_field(std::string &text, const char *&separator, uint32_t value, const char *const (&names)[count],
                  const char *unknown = "") {
    const char *name = value_name(value, names);
    text += separator;
    text += name ? name : unknown;
    separator = ",";
}

}  // namespace

int32_t parse_hardware_settings(const char *text, uint32_t *settings, uint32_t *mask) {
    uint32_t word = 0;
    uint32_t marked = 0;
    while (*text) {
        if (*text == ',' || *text == ' ') {
            ++text;
            continue;
        }
        const settings_keyword *keyword = keyword_at(text);
        if (!keyword) return 1;
        // A later keyword of a field replaces the earlier one, as a repeated option does.
        word = (word & ~keyword->mask_bits) | keyword->word_bits;
        marked |= keyword->mask_bits;
        text += std::strlen(keyword->text);
    }
    if (settings) *settings = word;
    if (mask) *mask = marked;
    return 0;
}

std::string format_hardware_settings(uint32_t settings, uint32_t mask) {
    static const char *const master_states[] = {
        "off", "standby", "running at 16KHz", "running at 24KHz", "running at 32KHz", "running at 48KHz"};
    static const char *const probe_power[] = {"ppoff", "ppon"};
    static const char *const mic_bias[] = {"mboff", "mbon"};
    static const char *const mic_preamp[] = {"mpoff", "mpon"};
    static const char *const mic_amp[] = {"moff", "mlo", "mhi", nullptr, "mfm", "mfma", "mfmb", "mfmab"};
    static const char *const aux[] = {"auxoff", "auxe", "auxa", "auxb"};
    static const char *const receiver_a[] = {"aoff", "alo", "ahi"};
    static const char *const receiver_b[] = {"boff", "blo", "bhi"};

    std::string text;
    const char *separator = "";
    if (mask & master_state_bits) {
        // An unknown state prints nothing, but the separator still changes.
        const char *state = value_name(settings & master_state_bits, master_states);
        if (state) text += state;
        separator = "; ";
    }
    if (mask & probe_power_bit) append_field(text, separator, (settings & probe_power_bit) ? 1 : 0, probe_power);
    if (mask & mic_bias_bit) append_field(text, separator, (settings & mic_bias_bit) ? 1 : 0, mic_bias);
    if (mask & mic_preamp_bit) append_field(text, separator, (settings & mic_preamp_bit) ? 1 : 0, mic_preamp);
    if (mask & mic_amp_bits) append_field(text, separator, (settings & mic_amp_bits) >> 20, mic_amp, "m?!");
    if (mask & aux_bits) append_field(text, separator, (settings & aux_bits) >> 16, aux, "aux?!");
    if (mask & receiver_a_bits) append_field(text, separator, (settings & receiver_a_bits) >> 12, receiver_a, "a?!");
    if (mask & receiver_b_bits) append_field(text, separator, (settings & receiver_b_bits) >> 8, receiver_b, "b?!");
    return text;
}

void interpret_hardware_settings(uint32_t settings, uint32_t mask) {
    std::fputs(format_hardware_settings(settings, mask).c_str(), stdout);
}
