#include "capture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "follower.h"
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

// For a -cX file: opened for writing as "wb" would, but not emptied, and
// created noting that this run made it.
FILE *open_unemptied(const char *name, bool &created) {
    int descriptor = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created = descriptor >= 0;
    if (descriptor < 0 && errno == EEXIST) descriptor = open(name, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    FILE *file = fdopen(descriptor, "wb");  // fdopen never truncates
    if (!file) {
        int error = errno;
        close(descriptor);
        if (created) unlink(name);
        errno = error;
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);
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

}  // namespace

bool allocate_capture_buffer(uint32_t samples_per_block, sample_block &buffer) {
    return allocate_samples(buffer, std::size_t{blocks_per_read} * channel_table_size * samples_per_block,
                            "the capture buffer");
}

bool open_capture_files(const run_settings &settings, uint32_t input_channels, capture_files &files) {
    for (uint32_t ch = 0; ch < input_channels; ++ch) {
        const char *name = settings.capture_file[ch];
        if (!name || settings.capture_per_block[ch]) continue;
        files.stream[ch] = open_unemptied(name, files.created[ch]);
        if (!files.stream[ch]) {
            std::printf("Could not open %s for writing: %s\n", name, std::strerror(errno));
            return false;
        }
        files.name[ch] = name;
        std::printf("Capturing channel %d to %s.\n", static_cast<int>(ch), name);
    }
    return true;
}

bool empty_capture_files(capture_files &files) {
    if (files.emptied) return true;
    files.emptied = true;
    for (uint32_t ch = 0; ch < files.stream.size(); ++ch) {
        FILE *stream = files.stream[ch];
        if (!stream || files.created[ch]) continue;
        // Devices and pipes have nothing to empty, as with "wb".
        struct stat status;
        if (fstat(fileno(stream), &status) == 0 && !S_ISREG(status.st_mode)) continue;
        if (ftruncate(fileno(stream), 0) != 0) {
            std::printf("Could not empty %s: %s\n", files.name[ch], std::strerror(errno));
            return false;
        }
    }
    return true;
}

void discard_capture_files(capture_files &files) {
    for (uint32_t ch = 0; ch < files.stream.size(); ++ch) {
        if (!files.stream[ch]) continue;
        std::fclose(files.stream[ch]);
        files.stream[ch] = nullptr;
        if (files.created[ch]) unlink(files.name[ch]);
    }
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
