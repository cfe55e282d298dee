#include "sample_buffer.h"

#include <cstdio>
#include <new>
#include <stdexcept>

bool allocate_samples(sample_block &buffer, std::size_t count, const std::string &what) {
    try {
        buffer.assign(count, 0);
        return true;
    } catch (const std::bad_alloc &) {
    } catch (const std::length_error &) {}
    std::printf("Could not allocate memory for %s (%zu bytes).\n", what.c_str(), count * sizeof(int32_t));
    return false;
}
