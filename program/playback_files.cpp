#include "playback_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "sample_buffer.h"

namespace {

struct file_closer {
    void operator()(FILE *file) const { std::fclose(file); }
};
using input_file = std::unique_ptr<FILE, file_closer>;

// Block counts and byte counts are printed as 32-bit numbers.
constexpr uint64_t largest_extended_file = 0xFFFFFFFFu;

bool read_one_block(const char *name, FILE *file, uint32_t n, sample_block &data) {
    if (!allocate_samples(data, n, std::string("playback file ") + name)) return false;
    std::size_t got = std::fread(data.data(), sizeof(int32_t), n, file);
    if (got < n) {
        std::printf("%s is the wrong length (expected %d samples, got %d)\n", name, static_cast<int>(n),
                    static_cast<int>(got));
        return false;
    }
    return true;
}

bool file_size(const char *name, FILE *file, uint64_t &size) {
    struct stat status;
    if (fstat(fileno(file), &status) != 0) {
        std::printf("Could not get file information on %s: %s\n", name, std::strerror(errno));
        return false;
    }
    size = static_cast<uint64_t>(status.st_size);
    if (size > largest_extended_file) {
        std::printf("%s is too large to play (4 GiB or more)\n", name);
        return false;
    }
    return true;
}

// How many blocks a file of size bytes fills, a last partial one included;
// 0 (reported) for an empty file.
uint32_t count_blocks(const char *name, uint64_t size, uint32_t n) {
    uint64_t block_bytes = uint64_t{4} * n;
    uint64_t full = size / block_bytes;
    uint64_t remnant = size - full * block_bytes;
    uint64_t count = full;
    if (remnant != 0) {
        std::printf("%s contains %d full blocks and a remnant of %d bytes\n", name, static_cast<int>(full),
                    static_cast<int>(remnant));
        ++count;
    } else {
        std::printf("%s contains %d full blocks\n", name, static_cast<int>(full));
    }
    if (count == 0) std::printf("%s is empty\n", name);
    return static_cast<uint32_t>(count);
}

// The first file sets the length of the sequence; the others are cut or
// padded with silence to it.
uint32_t fit_to_sequence(const char *name, uint32_t count, int32_t &sequence_length) {
    if (sequence_length == 0) {
        std::printf("The length of the output sequence will be set to %d blocks\n", static_cast<int>(count));
        sequence_length = static_cast<int32_t>(count);
        return count;
    }
    uint32_t length = static_cast<uint32_t>(sequence_length);
    if (count > length)
        std::printf("%s is longer than first playback file; truncating to %d blocks\n", name, sequence_length);
    else if (count < length)
        std::printf("%s is shorter than first playback file; will be silence-padded to %d blocks\n", name,
                    sequence_length);
    return length;
}

bool read_blocks(const char *name, FILE *file, uint32_t n, int32_t &sequence_length, sample_block &data) {
    uint64_t size = 0;
    if (!file_size(name, file, size)) return false;
    uint32_t count = count_blocks(name, size, n);
    if (count == 0) return false;
    count = fit_to_sequence(name, count, sequence_length);
    std::size_t samples = static_cast<std::size_t>(count) * n;
    if (!allocate_samples(data, samples, std::string("playback file ") + name)) return false;

    uint64_t remaining = std::min<uint64_t>(size, samples * sizeof(int32_t));
    auto *place = reinterpret_cast<unsigned char *>(data.data());
    while (remaining > 0) {
        std::size_t asked = static_cast<std::size_t>(std::min<uint64_t>(remaining, uint64_t{4} * n));
        std::size_t got = std::fread(place, 1, asked, file);
        if (got < asked) {
            std::printf("Short read from %s (read %d bytes, expected %d)\n", name, static_cast<int>(got),
                        static_cast<int>(asked));
            return false;
        }
        place += got;
        remaining -= got;
    }
    return true;
}

}  // namespace

bool read_playback_files(const run_settings &settings, uint32_t output_channels, playback_samples &playback) {
    for (uint32_t ch = 0; ch < output_channels; ++ch) {
        const char *name = settings.playback_file[ch];
        if (!name) continue;
        input_file file(std::fopen(name, "rb"));
        if (!file) {
            // Playing a generated stimulus in place of the file would pass for a good run.
            std::printf("Could not open %s for reading: %s\n", name, std::strerror(errno));
            return false;
        }
        bool read = settings.extended_mode == 0
                        ? read_one_block(name, file.get(), settings.samples_per_block, playback.data[ch])
                        : read_blocks(name, file.get(), settings.samples_per_block, playback.sequence_length,
                                      playback.data[ch]);
        if (!read) return false;
    }
    return true;
}
