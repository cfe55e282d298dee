#include "capture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "follower.h"
#include "format_text.h"
#include "sample_buffer.h"

namespace {

constexpr std::size_t longest_file_name = 4095;

void report_write_failure(uint32_t ch, int error) {
    std::printf("Error writing capture data from channel %d to file: %s\n", static_cast<int>(ch), std::strerror(error));
}

// Unbuffered, so each block reaches the file at once: a failing disk is
// noticed at the block it hits, and closing has nothing left to write.
FILE *open_for_capture(const char *name) {
    FILE *file = std::fopen(name, "wb");
    if (file) std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

bool write_samples(FILE *stream, const int32_t *samples, uint32_t n) {
    return std::fwrite(samples, sizeof(int32_t), n, stream) == n && std::fflush(stream) == 0;
}

// A write cut short by a full disk leaves part of a block behind it.
void cut_back_to(FILE *stream, off_t whole_blocks_end) {
    if (whole_blocks_end >= 0 && ftruncate(fileno(stream), whole_blocks_end) != 0) {
        // Nothing more can be done for a file that cannot even be cut.
    }
}

// Empty when the name would be longer than a path may be.
std::string per_block_file_name(const char *prefix, uint32_t block_number) {
    std::string name = std::string(prefix) + "." + std::to_string(block_number);
    return name.size() <= longest_file_name ? name : std::string();
}

// The name's path with its links, "." and ".." resolved as far as it exists.
std::filesystem::path resolved_path(const char *name) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(std::filesystem::absolute(name, error), error);
    return error ? std::filesystem::path(name).lexically_normal() : path;
}

// Files that exist are compared by device and inode, names that do not
// exist yet by their resolved paths.
bool same_file(const char *a, const char *b) {
    struct stat a_status;
    struct stat b_status;
    bool a_exists = stat(a, &a_status) == 0;
    bool b_exists = stat(b, &b_status) == 0;
    if (a_exists || b_exists)
        return a_exists && b_exists && a_status.st_dev == b_status.st_dev && a_status.st_ino == b_status.st_ino;
    return resolved_path(a) == resolved_path(b);
}

std::string clash_line(char first_letter, uint32_t first_channel, const char *first_name, char second_letter,
                       uint32_t second_channel, const char *second_name, const char *what) {
    std::string line;
    append_format(line, "-%c%u %s and -%c%u %s name the same %s.\n", first_letter, first_channel, first_name,
                  second_letter, second_channel, second_name, what);
    return line;
}

}  // namespace

std::string capture_file_clash(const run_settings &settings) {
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
    return {};
}

bool allocate_capture_buffer(uint32_t samples_per_block, sample_block &buffer) {
    return allocate_samples(buffer, std::size_t{blocks_per_read} * channel_table_size * samples_per_block,
                            "the capture buffer");
}

bool open_capture_files(const run_settings &settings, uint32_t input_channels, capture_streams &streams) {
    for (uint32_t ch = 0; ch < input_channels; ++ch) {
        const char *name = settings.capture_file[ch];
        if (!name || settings.capture_per_block[ch]) continue;
        streams[ch] = open_for_capture(name);
        if (!streams[ch]) {
            std::printf("Could not open %s for writing: %s\n", name, std::strerror(errno));
            return false;
        }
        std::printf("Capturing channel %d to %s.\n", static_cast<int>(ch), name);
    }
    return true;
}

block_capture handle_captured_block(const run_settings &settings, uint32_t input_channels, const int32_t *block,
                                    uint32_t block_number, capture_streams &streams) {
    const uint32_t n = settings.samples_per_block;
    block_capture result = block_capture::whole;
    for (uint32_t ch = 0; ch < input_channels; ++ch) {
        const int32_t *samples = block + std::size_t{ch} * n;
        const char *prefix = settings.capture_file[ch];
        bool per_block = settings.capture_per_block[ch] && prefix;
        std::string block_file;
        if (per_block) {
            block_file = per_block_file_name(prefix, block_number);
            int error = ENAMETOOLONG;
            if (!block_file.empty()) {
                streams[ch] = open_for_capture(block_file.c_str());
                error = errno;
            }
            if (!streams[ch]) {
                // Only this channel misses the block; the others and the follower get it.
                std::printf("Could not open %s for writing: %s\n", prefix, std::strerror(error));
                result = block_capture::file_skipped;
            }
        }
        if (FILE *stream = streams[ch]) {
            off_t whole_blocks_end = ftello(stream);
            bool written = write_samples(stream, samples, n);
            int error = errno;
            if (!written && !per_block) cut_back_to(stream, whole_blocks_end);
            // A file that failed is closed at once, so the failure is reported only once.
            if (per_block || !written) {
                streams[ch] = nullptr;
                if (std::fclose(stream) != 0 && written) {
                    written = false;
                    error = errno;
                }
            }
            if (!written) {
                if (per_block) std::remove(block_file.c_str());
                report_write_failure(ch, error);
                return block_capture::write_failed;
            }
            std::printf("Wrote block %d for channel %d\n", static_cast<int>(block_number), static_cast<int>(ch));
        }
        if (static_cast<int32_t>(ch) == settings.analyze_channel) {
            std::printf("Analyzing block for channel %d\n", static_cast<int>(ch));
            analyze_block(static_cast<int32_t>(n), samples);
        }
    }
    return result;
}

bool close_capture_streams(capture_streams &streams) {
    bool closed = true;
    for (uint32_t ch = 0; ch < streams.size(); ++ch) {
        if (streams[ch] && std::fclose(streams[ch]) != 0) {
            report_write_failure(ch, errno);
            closed = false;
        }
        streams[ch] = nullptr;
    }
    return closed;
}
