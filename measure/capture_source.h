// One channel's samples: raw signed 32-bit words in host order, from one
// file or several joined in the order given. Files are opened per read, so
// thousands of per-block files need no more than one descriptor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct capture_source {
    struct part {
        std::string path;
        int64_t first = 0;  // index of its first sample in the channel
        int64_t samples = 0;
    };
    std::string name;  // as given on the command line
    std::vector<part> parts;
    int64_t samples = 0;
};

// Names joined by commas; throws measure_error for a missing or empty file
// or one that does not hold whole samples.
capture_source open_capture(const std::string &names);
// Reads count samples from first on; throws measure_error when a file
// cannot be read or has shrunk.
void read_samples(const capture_source &source, int64_t first, int64_t count, int32_t *out);
