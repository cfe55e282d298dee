#include "capture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "follower.h"
#include "sample_buffer.h"

namespace {

constexpr std::size_t longest_file_name = 4095;

void report_write_failure(uint32_t ch, int error)
{
    std::printf("Error writing capture data from channel %d to file: %s\n", static_cast<int>(ch),
                std::strerror(error));
}

// Each block reaches the file at once, so a failing disk is noticed at the
// block it hits and everything before it stays in the file.
bool write_samples(FILE *stream, const int32_t *samples, uint32_t n)
{
    return std::fwrite(samples, sizeof(int32_t), n, stream) == n && std::fflush(stream) == 0;
}

}  // namespace

bool allocate_capture_buffer(uint32_t samples_per_block, sample_block &buffer)
{
    return allocate_samples(buffer,
                            std::size_t{blocks_per_read} * channel_table_size * samples_per_block,
                            "the capture buffer");
}

void open_capture_files(const run_settings &settings, uint32_t input_channels,
                        capture_streams &streams)
{
    for (uint32_t ch = 0; ch < input_channels; ++ch) {
        const char *name = settings.capture_file[ch];
        if (!name || settings.capture_per_block[ch])
            continue;
        streams[ch] = std::fopen(name, "wb");
        if (!streams[ch]) {
            std::printf("Could not open %s for writing: %s\n", name, std::strerror(errno));
            return;
        }
        std::printf("Capturing channel %d to %s.\n", static_cast<int>(ch), name);
    }
}

std::string per_block_file_name(const char *prefix, uint32_t block_number)
{
    std::string name = std::string(prefix) + "." + std::to_string(block_number);
    return name.size() <= longest_file_name ? name : std::string();
}

bool handle_captured_block(const run_settings &settings, uint32_t input_channels,
                           const int32_t *block, uint32_t block_number, capture_streams &streams)
{
    const uint32_t n = settings.samples_per_block;
    for (uint32_t ch = 0; ch < input_channels; ++ch) {
        const int32_t *samples = block + std::size_t{ch} * n;
        const char *prefix = settings.capture_file[ch];
        bool per_block = settings.capture_per_block[ch] && prefix;
        if (per_block) {
            std::string name = per_block_file_name(prefix, block_number);
            int error = ENAMETOOLONG;
            if (!name.empty()) {
                streams[ch] = std::fopen(name.c_str(), "wb");
                error = errno;
            }
            if (!streams[ch]) {
                // The rest of this block is skipped; the next block tries a new file.
                std::printf("Could not open %s for writing: %s\n", prefix, std::strerror(error));
                return true;
            }
        }
        if (FILE *stream = streams[ch]) {
            bool written = write_samples(stream, samples, n);
            int error = errno;
            // A file that failed is closed at once, so the failure is reported only once.
            if (per_block || !written) {
                streams[ch] = nullptr;
                if (std::fclose(stream) != 0 && written) {
                    written = false;
                    error = errno;
                }
            }
            if (!written) {
                report_write_failure(ch, error);
                return false;
            }
            std::printf("Wrote block %d for channel %d\n", static_cast<int>(block_number),
                        static_cast<int>(ch));
        }
        if (static_cast<int32_t>(ch) == settings.analyze_channel) {
            std::printf("Analyzing block for channel %d\n", static_cast<int>(ch));
            analyze_block(static_cast<int32_t>(n), samples);
        }
    }
    return true;
}

void close_capture_streams(capture_streams &streams)
{
    for (uint32_t ch = 0; ch < streams.size(); ++ch) {
        if (streams[ch] && std::fclose(streams[ch]) != 0)
            report_write_failure(ch, errno);
        streams[ch] = nullptr;
    }
}
