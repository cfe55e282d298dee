// The command-line parse: fuzz bytes are the words after the program name,
// separated by NUL bytes as in argv. Whatever the words, the parse returns
// settings that respect every option's range, or an exit outcome with the
// texts that go with it.
#include <algorithm>
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

bool is_notice(const std::string &line) {
    return line == "Setting infinite timeouts for debugging." || line == "Requesting ramp-up and ramp-down blocks." ||
           (line.starts_with("stop_ms = ") && line.size() > 10);
}

// Text settings refer to the words themselves (or keep their defaults).
bool is_plain_file_word(const char *name, const std::set<const char *> &words) {
    return !name || (words.count(name) == 1 && name[0] != '\0' && name[0] != '-' && name[0] != '/');
}

void check_settings(const run_settings &s, const std::set<const char *> &words) {
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
    require(s.connect_timeout_ms == s.progress_timeout_ms && (s.connect_timeout_ms == -1 || s.connect_timeout_ms == 0),
            "time-outs both default or both infinite");
    require((s.setup_value & ~s.setup_mask) == 0, "set-up word only in marked fields");
    require((s.setup_mask & ~0x07FFFF00u) == 0, "set-up mask only in keyword fields");
    require(s.server_address == default_server_address || words.count(s.server_address), "server address is a word");
    require(!s.log_path || words.count(s.log_path), "log path is a word");
    require(!s.master_keyword || words.count(s.master_keyword), "master keyword is a word");
    for (int ch = 0; ch < channel_table_size; ++ch) {
        require(is_plain_file_word(s.capture_file[ch], words), "capture file name is a plain word");
        require(is_plain_file_word(s.playback_file[ch], words), "playback file name is a plain word");
        require(s.capture_file[ch] || !s.capture_per_block[ch], "per-block flag only with a prefix");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string usage = usage_text(), version = version_text();

    std::vector<std::string> words(size == 0 ? 0 : 1);
    for (size_t i = 0; i < size; ++i) data[i] == 0 ? words.emplace_back() : words.back() += static_cast<char>(data[i]);
    std::vector<const char *> argv{"veskplay"};
    for (const std::string &word : words) argv.push_back(word.c_str());
    const std::set<const char *> word_pointers(argv.begin() + 1, argv.end());
    argv.push_back(nullptr);

    run_settings settings;
    std::string output;
    command_line_result result = parse_command_line(static_cast<int>(argv.size() - 1), argv.data(), settings, output);

    require(output.empty() || output.back() == '\n', "every printed text ends with a line end");
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(output.substr(start, end - start));
    const bool only_notices = std::all_of(lines.begin(), lines.end(), is_notice);
    if (result.proceed) {
        require(result.exit_status == 0, "a run that proceeds has no exit status");
        require(only_notices, "a run that proceeds prints only notices");
        check_settings(settings, word_pointers);
    } else if (result.exit_status == 1) {
        // The message may quote a word, line ends and all, so only its place is checked.
        require(!only_notices, "a failure prints its message after the notices");
    } else {
        require(result.exit_status == 0, "exit status 0 or 1");
        require(output.ends_with(usage) || output.ends_with(version), "usage or version ends the output");
    }
    return 0;
}
