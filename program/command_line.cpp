#include "command_line.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstring>
#include <strings.h>

#include "file_clash.h"
#include "format_text.h"
#include "hardware_settings.h"
#include "loopback_levels.h"
#include "option_numbers.h"
#include "usage_text.h"

const char *const default_server_address = "192.168.7.2:1024";

namespace {

// The sine stays within half the run's sample rate, and never above 24000 Hz.
constexpr uint32_t highest_limiting_rate = 48000;
constexpr int32_t min_stop_ms = 100;

enum class outcome { no_match, applied, failed, help, version };

bool named(const char *name, const char *option) { return strcasecmp(name, option) == 0; }

bool begins_with_letter(const char *name, char letter) {
    return std::tolower(static_cast<unsigned char>(name[0])) == letter;
}

// Read from the word's third character on as far as it is a number; negative
// and too wide numbers are out of range.
uint32_t channel_of(const char *word) {
    word_number number = decimal_number(word + 2);
    return number.too_wide || number.value < 0 ? UINT32_MAX : static_cast<uint32_t>(number.value);
}

bool channel_in_range(uint32_t channel) { return channel < static_cast<uint32_t>(channel_table_size); }

// File names and -y texts: empty words and words that could be taken for
// options are refused, which also refuses absolute paths.
bool is_plain_argument(const char *text) { return text[0] != '\0' && text[0] != '-' && text[0] != '/'; }

// A NaN fails every range written this way.
bool within(double value, double lowest, double highest) { return value >= lowest && value <= highest; }

// Every failure ends the parse with exactly one message.
__attribute__((format(printf, 2, 3))) outcome failure(std::string &output, const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    append_format_list(output, format, arguments);
    va_end(arguments);
    return outcome::failed;
}

// A value word that looks like an option is most likely a forgotten value.
bool looks_like_option(const char *text) {
    return text[0] == '\0' ||
           ((text[0] == '-' || text[0] == '/') && !std::isdigit(static_cast<unsigned char>(text[1])));
}

outcome not_a_number(std::string &output, const char *word, const char *argument) {
    if (looks_like_option(argument)) return failure(output, "Missing value for %s.\n", word);
    return failure(output, "\"%s\" isn't a valid number for %s.\n", argument, word);
}

// A whole number word within lowest..highest, or a failure line.
outcome whole_number(const char *word, const char *argument, const word_number &number, int64_t lowest, int64_t highest,
                     std::string &output) {
    if (!number.whole || number.too_wide || number.value < lowest || number.value > highest)
        return not_a_number(output, word, argument);
    return outcome::applied;
}

bool takes_integer(const char *name) {
    for (const char *option : {"k", "q", "qq", "e", "b", "f", "s", "d", "j"})
        if (named(name, option)) return true;
    return false;
}

outcome check_frequency(int32_t hz, uint32_t sample_rate, std::string &output) {
    uint32_t limiting_rate = std::min(sample_rate, highest_limiting_rate);
    if (2 * static_cast<int64_t>(hz) > limiting_rate)
        return failure(output, "%d Hz is too high for the %u Hz sample rate.\n", hz, limiting_rate);
    return outcome::applied;
}

// The port after the colon of -a, when there is one, must be a whole number;
// the rest of the address is the library's to check.
outcome check_port(const char *word, const char *address, std::string &output) {
    const char *colon = std::strchr(address, ':');
    if (!colon || colon[1] == '\0') return outcome::applied;
    word_number port = decimal_number(colon + 1);
    if (!port.whole || port.too_wide) return not_a_number(output, word, colon + 1);
    return outcome::applied;
}

// The channel of a -c, -u or -r word, or -1 after reporting a bad channel or file name.
int32_t channel_for_file(const char *word, const char *file, const char *option_kind, std::string &output) {
    uint32_t channel = channel_of(word);
    if (!channel_in_range(channel)) {
        failure(output, "%s channel must be in the range 0..%d.\n", option_kind, channel_table_size - 1);
        return -1;
    }
    if (!is_plain_argument(file)) {
        failure(output, "\"%s\" doesn't look like a valid filename.\n", file);
        return -1;
    }
    return static_cast<int32_t>(channel);
}

outcome apply_option_with_argument(const char *word, const char *argument, run_settings &settings,
                                   std::string &output) {
    const char *name = word + 1;
    int32_t number = 0;
    if (takes_integer(name)) {
        // -d takes a mask, which may be written signed or unsigned.
        word_number read = number_in_any_base(argument);
        int64_t highest = named(name, "d") ? UINT32_MAX : INT32_MAX;
        if (whole_number(word, argument, read, INT32_MIN, highest, output) == outcome::failed) return outcome::failed;
        number = static_cast<int32_t>(static_cast<uint32_t>(read.value));
    }

    if (named(name, "k")) {
        if (number < 0) return failure(output, "Sample rate cannot be negative.\n");
        settings.sample_rate = static_cast<uint32_t>(number);
    } else if (named(name, "q") || named(name, "qq")) {
        if (number < 0) return failure(output, "Starting quiet block count cannot be negative.\n");
        settings.start_quiet_blocks = number;
        if (named(name, "qq")) settings.sync_check = false;
    } else if (named(name, "e")) {
        if (number < 0) return failure(output, "Ending quiet block count cannot be negative.\n");
        settings.end_quiet_blocks = number;
    } else if (named(name, "b")) {
        if (number < 1) return failure(output, "Block count must be at least 1.\n");
        settings.block_count = number;
    } else if (named(name, "f")) {
        if (number < 1) return failure(output, "Frequency must be a positive nonzero integer value in Hz.\n");
        // -k may still follow: the parse checks the frequency again at its end.
        if (check_frequency(number, settings.sample_rate, output) == outcome::failed) return outcome::failed;
        settings.frequency_hz = number;
    } else if (named(name, "m")) {
        double amplitude = 0;
        if (!whole_real_number(argument, amplitude)) return not_a_number(output, word, argument);
        if (!within(amplitude, 0.0, 1.0)) return failure(output, "Amplitude must be between 0.0 and 1.0\n");
        settings.amplitude = amplitude;
    } else if (named(name, "td")) {
        double level = 0;
        if (!whole_real_number(argument, level)) return not_a_number(output, word, argument);
        if (!within(level, -1.0, 1.0)) return failure(output, "Level must be between -1.0 and 1.0\n");
        settings.amplitude = level;
        settings.dc_level = true;
    } else if (named(name, "ts")) {
        word_number stop_ms = decimal_number(argument);
        if (whole_number(word, argument, stop_ms, INT32_MIN, INT32_MAX, output) == outcome::failed)
            return outcome::failed;
        if (stop_ms.value < min_stop_ms) return failure(output, "millisecond count for ts must be at least 100\n");
        settings.stop_ms = static_cast<uint32_t>(stop_ms.value);
        append_format(output, "stop_ms = %u\n", settings.stop_ms);
    } else if (named(name, "s")) {
        if (number < min_samples_per_block || number > max_samples_per_block)
            return failure(output, "Samples per block must be in the range %d..%d.\n", min_samples_per_block,
                           max_samples_per_block);
        settings.samples_per_block = static_cast<uint32_t>(number);
    } else if (begins_with_letter(name, 'c') || begins_with_letter(name, 'u')) {
        int32_t channel = channel_for_file(word, argument, "Capture (/C or /U)", output);
        if (channel < 0) return outcome::failed;
        settings.capture_file[channel] = argument;
        settings.capture_per_block[channel] = begins_with_letter(name, 'u');
    } else if (named(name, "l")) {
        const loopback_level *level = loopback_by_tag(argument);
        if (!level) return failure(output, "Unrecognized loopback \"%s\".\n", argument);
        settings.loopback = level->value;
    } else if (named(name, "a")) {
        if (looks_like_option(argument)) return failure(output, "Missing value for %s.\n", word);
        if (check_port(word, argument, output) == outcome::failed) return outcome::failed;
        settings.server_address = argument;
    } else if (begins_with_letter(name, 'r')) {
        int32_t channel = channel_for_file(word, argument, "Playback (/R)", output);
        if (channel < 0) return outcome::failed;
        settings.playback_file[channel] = argument;
    } else if (named(name, "d")) {
        settings.debug_mask = static_cast<uint32_t>(number);
    } else if (named(name, "g")) {
        if (!is_plain_argument(argument))
            return failure(output, "\"%s\" doesn't look like a valid filename.\n", argument);
        settings.log_path = argument;
    } else if (named(name, "j")) {
        settings.junk_blocks = number;
    } else if (named(name, "y")) {
        uint32_t value = 0;
        uint32_t mask = 0;
        if (!is_plain_argument(argument) || parse_hardware_settings(argument, &value, &mask) != 0)
            return failure(output, "\"%s\" isn't a valid string of hardware setting(s).\n", argument);
        settings.setup_value = value;
        settings.setup_mask = mask;
    } else if (named(name, "o")) {
        if (looks_like_option(argument)) return failure(output, "Missing value for %s.\n", word);
        settings.master_keyword = argument;
    } else {
        return outcome::no_match;
    }
    return outcome::applied;
}

outcome apply_option_without_argument(const char *word, run_settings &settings, std::string &output) {
    const char *name = word + 1;

    if (named(name, "h") || named(name, "?")) {
        return outcome::help;
    } else if (named(name, "tf")) {
        settings.framing_pattern = true;
    } else if (named(name, "tu")) {
        settings.synchronized = false;
    } else if (named(name, "i")) {
        output += "Setting infinite timeouts for debugging.\n";
        settings.connect_timeout_ms = 0;
        settings.progress_timeout_ms = 0;
    } else if (named(name, "w")) {
        output += "Requesting ramp-up and ramp-down blocks.\n";
        settings.ramp = true;
    } else if (named(name, "z")) {
        settings.silence = true;
    } else if (named(name, "p")) {
        settings.promiscuous = true;
    } else if (begins_with_letter(name, 'n')) {
        uint32_t channel = channel_of(word);
        if (!channel_in_range(channel))
            return failure(output, "Capture (/C) channel must be in the range 0..%d.\n", channel_table_size - 1);
        settings.analyze_channel = static_cast<int32_t>(channel);
    } else if (named(name, "x")) {
        settings.extended_mode = 1;
    } else if (named(name, "xl")) {
        settings.extended_mode = 2;
    } else if (named(name, "v")) {
        return outcome::version;
    } else {
        return outcome::no_match;
    }
    return outcome::applied;
}

}  // namespace

command_line_result parse_command_line(int argc, const char *const *argv, run_settings &settings, std::string &output) {
    bool frequency_given = false;
    outcome result = outcome::no_match;
    int index = 1;
    while (index < argc) {
        // Words that are not options stop the parse: there are no positional arguments.
        const char *word = argv[index];
        if (word[0] != '-' && word[0] != '/') break;

        result = outcome::no_match;
        if (index + 1 < argc) result = apply_option_with_argument(word, argv[index + 1], settings, output);
        if (result == outcome::applied) {
            frequency_given = frequency_given || named(word + 1, "f");
            index += 2;
            continue;
        }
        if (result == outcome::no_match) result = apply_option_without_argument(word, settings, output);
        if (result == outcome::applied) {
            ++index;
            continue;
        }
        if (result == outcome::failed) return {false, 1};
        if (result == outcome::version) {
            output += version_text();
            return {false, 0};
        }
        break;
    }
    if (index == argc) {
        if (frequency_given && check_frequency(settings.frequency_hz, settings.sample_rate, output) == outcome::failed)
            return {false, 1};
        // Nothing is opened or emptied before the files are known to be apart.
        std::string clash = file_clash(settings);
        output += clash;
        return {clash.empty(), clash.empty() ? 0 : 1};
    }
    // Help asked for is a success; an unknown word or a missing argument is not.
    output += usage_text();
    return {false, result == outcome::help ? 0 : 1};
}
