// The command-line parse: fuzz bytes are the words after the program name,
// separated by NUL bytes as in argv. Whatever the words, the parse returns
// settings that respect every option's range, or an exit outcome with the
// texts that go with it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "command_line.h"
#include "fuzz_check.h"
#include "usage_text.h"

namespace {

std::vector<std::string> words_of(const uint8_t *data, size_t size)
{
    std::vector<std::string> words;
    if (size == 0)
        return words;
    words.emplace_back();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    return words;
}

bool is_notice(const std::string &line)
{
    return line == "Setting infinite timeouts for debugging." || line == "Requesting ramp-up and ramp-down blocks." ||
           (line.rfind("stop_ms = ", 0) == 0 && line.size() > 10);
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    require(start == text.size(), "every printed text ends with a line end");
    return lines;
}

bool ends_with(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Text settings refer to the words themselves (or keep their defaults).
void require_word_or(const char *text, const char *fallback, const std::set<const char *> &words, const char *what)
{
    require(text == fallback || words.count(text) == 1, what);
}

bool is_plain_argument(const char *text) { return text[0] != '\0' && text[0] != '-' && text[0] != '/'; }

void check_settings(const run_settings &s, const std::set<const char *> &words)
{
    require(s.block_count >= 1, "block count at least 1");
    require(s.start_quiet_blocks >= 0 && s.end_quiet_blocks >= 0, "quiet block counts not negative");
    require(s.samples_per_block >= 16 && s.samples_per_block <= 65536, "samples per block in 16..65536");
    require(s.frequency_hz >= 1 && s.frequency_hz <= 24000, "frequency in 1..24000");
    require(std::isfinite(s.amplitude) && s.amplitude >= -1.0 && s.amplitude <= 1.0, "amplitude in -1..1");
    require(s.dc_level || s.amplitude >= 0.0, "sine amplitude not negative");
    require(s.stop_ms == 0 || s.stop_ms >= 100, "stop_ms 0 or at least 100");
    require(s.sample_rate <= INT32_MAX, "sample rate not negative");
    require(s.analyze_channel >= -1 && s.analyze_channel < channel_table_size, "analysed channel -1..31");
    require(s.extended_mode >= 0 && s.extended_mode <= 2, "extended mode 0..2");
    require(s.loopback >= 0 && s.loopback <= 2, "loopback a table value");
    require((s.connect_timeout_ms == -1 && s.progress_timeout_ms == -1) ||
                (s.connect_timeout_ms == 0 && s.progress_timeout_ms == 0),
            "time-outs both default or both infinite");
    require((s.setup_value & ~s.setup_mask) == 0, "set-up word only in marked fields");
    require((s.setup_mask & ~0x07FFFF00u) == 0, "set-up mask only in keyword fields");
    require_word_or(s.server_address, default_server_address, words, "server address is a word");
    require_word_or(s.log_path, nullptr, words, "log path is a word");
    require_word_or(s.master_keyword, nullptr, words, "master keyword is a word");
    for (int ch = 0; ch < channel_table_size; ++ch) {
        require_word_or(s.capture_file[ch], nullptr, words, "capture file is a word");
        require_word_or(s.playback_file[ch], nullptr, words, "playback file is a word");
        require(!s.capture_file[ch] || is_plain_argument(s.capture_file[ch]), "capture file name plain");
        require(!s.playback_file[ch] || is_plain_argument(s.playback_file[ch]), "playback file name plain");
        require(s.capture_file[ch] || !s.capture_per_block[ch], "per-block flag only with a prefix");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string usage = usage_text();
    static const std::string version = version_text();

    std::vector<std::string> words = words_of(data, size);
    std::vector<const char *> argv{"veskplay"};
    std::set<const char *> word_pointers;
    for (const std::string &word : words) {
        argv.push_back(word.c_str());
        word_pointers.insert(word.c_str());
    }
    argv.push_back(nullptr);

    run_settings settings;
    std::string output;
    command_line_result result =
        parse_command_line(static_cast<int>(argv.size() - 1), argv.data(), settings, output);

    std::vector<std::string> lines = lines_of(output);
    if (result.proceed) {
        require(result.exit_status == 0, "a run that proceeds has no exit status");
        for (const std::string &line : lines)
            require(is_notice(line), "a run that proceeds prints only notices");
        check_settings(settings, word_pointers);
    } else if (result.exit_status == 1) {
        // The message may quote a word, line ends and all, so only its place is checked.
        size_t notices = 0;
        while (notices < lines.size() && is_notice(lines[notices]))
            ++notices;
        require(notices < lines.size(), "a failure prints its message after the notices");
    } else {
        require(result.exit_status == 0, "exit status 0 or 1");
        require(ends_with(output, usage) || ends_with(output, version), "usage or version ends the output");
    }
    return 0;
}
