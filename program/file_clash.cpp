#include "file_clash.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>

#include "format_text.h"

namespace {

// The name's path with its links, "." and ".." resolved as far as it exists.
std::filesystem::path resolved_path(const std::string &name) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(std::filesystem::absolute(name, error), error);
    return error ? std::filesystem::path(name).lexically_normal() : path;
}

// Files that exist are compared by device and inode, names that do not
// exist yet by their resolved paths.
bool same_file(const std::string &a, const std::string &b) {
    struct stat a_status;
    struct stat b_status;
    bool a_exists = stat(a.c_str(), &a_status) == 0;
    bool b_exists = stat(b.c_str(), &b_status) == 0;
    if (a_exists || b_exists)
        return a_exists && b_exists && a_status.st_dev == b_status.st_dev && a_status.st_ino == b_status.st_ino;
    return resolved_path(a) == resolved_path(b);
}

// The block number that a per-block file name ends in (".N", N from 1 with
// no leading zero, as the run numbers its blocks), or 0.
uint64_t block_number_suffix(const std::string &name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size() || name[dot + 1] == '0') return 0;
    uint64_t number = 0;
    for (std::size_t i = dot + 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + static_cast<uint64_t>(name[i] - '0');
        if (number > UINT32_MAX) return 0;
    }
    return number;
}

// True when the run could write file as one of the per-block files of prefix.
bool is_block_file_of(const char *prefix, const char *file) {
    for (const std::string &name : {std::string(file), resolved_path(file).string()}) {
        uint64_t block = block_number_suffix(name);
        if (block != 0 && same_file(file, std::string(prefix) + "." + std::to_string(block))) return true;
    }
    return false;
}

std::string clash_line(char first_letter, uint32_t first_channel, const char *first_name, char second_letter,
                       uint32_t second_channel, const char *second_name, const char *what) {
    std::string line;
    append_format(line, "-%c%u %s and -%c%u %s name the same %s.\n", first_letter, first_channel, first_name,
                  second_letter, second_channel, second_name, what);
    return line;
}

std::string block_file_line(uint32_t prefix_channel, const char *prefix, char letter, uint32_t channel,
                            const char *file) {
    std::string line;
    append_format(line, "-%c%u %s is one of the block files of -u%u %s.\n", letter, channel, file, prefix_channel,
                  prefix);
    return line;
}

// A -c or -r file that one of the -u prefixes would write over.
std::string block_file_clash(const run_settings &settings) {
    for (uint32_t ch = 0; ch < channel_table_size; ++ch) {
        const char *prefix = settings.capture_file[ch];
        if (!prefix || !settings.capture_per_block[ch]) continue;
        for (uint32_t other = 0; other < channel_table_size; ++other) {
            const char *capture = settings.capture_file[other];
            if (capture && !settings.capture_per_block[other] && is_block_file_of(prefix, capture))
                return block_file_line(ch, prefix, 'c', other, capture);
            const char *playback = settings.playback_file[other];
            if (playback && is_block_file_of(prefix, playback))
                return block_file_line(ch, prefix, 'r', other, playback);
        }
    }
    return {};
}

}  // namespace

std::string file_clash(const run_settings &settings) {
    for (uint32_t ch = 0; ch < channel_table_size; ++ch) {
        const char *capture = settings.capture_file[ch];
        if (!capture) continue;
        bool per_block = settings.capture_per_block[ch];
        char letter = per_block ? 'u' : 'c';
        for (uint32_t out = 0; out < channel_table_size && !per_block; ++out) {
            const char *playback = settings.playback_file[out];
            if (playback && same_file(playback, capture))
                return clash_line('r', out, playback, letter, ch, capture, "file");
        }
        for (uint32_t other = ch + 1; other < channel_table_size; ++other) {
            const char *other_capture = settings.capture_file[other];
            if (other_capture && settings.capture_per_block[other] == per_block && same_file(capture, other_capture))
                return clash_line(letter, ch, capture, letter, other, other_capture,
                                  per_block ? "file prefix" : "file");
        }
    }
    return block_file_clash(settings);
}
