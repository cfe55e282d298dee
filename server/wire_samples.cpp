#include "wire_samples.h"

#include <bit>
#include <cstring>

// A loop of byte swaps vectorises only where the target has a byte shuffle,
// which baseline x86-64 lacks: there each loop is built for AVX2 and SSSE3
// as well, and the processor's best version is picked at load time. The
// file is built with -O3, which vectorises them. Bytes move by memcpy, which
// the compiler turns into plain loads and stores, so that no byte buffer is
// read as words.

#if defined(__x86_64__)
#define VECTOR_VERSIONS __attribute__((target_clones("avx2", "ssse3", "default")))
#else
#define VECTOR_VERSIONS
#endif

namespace vesksim {

namespace {

inline uint32_t to_big_endian(uint32_t word) {
    if constexpr (std::endian::native == std::endian::big) return word;
    return __builtin_bswap32(word);
}

VECTOR_VERSIONS void swap_out(uint8_t* __restrict out, const int32_t* __restrict samples,
                              size_t count, uint32_t keep) {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t word = to_big_endian(static_cast<uint32_t>(samples[i]) & keep);
        std::memcpy(out + 4 * i, &word, 4);
    }
}

VECTOR_VERSIONS void swap_in(int32_t* __restrict samples, const uint8_t* __restrict in,
                             size_t count) {
    for (size_t i = 0; i < count; ++i) {
        uint32_t word;
        std::memcpy(&word, in + 4 * i, 4);
        samples[i] = static_cast<int32_t>(to_big_endian(word));
    }
}

}  // namespace

void samples_to_wire(uint8_t* out, const int32_t* samples, size_t count, uint32_t keep) {
    swap_out(out, samples, count, keep);
}

void samples_from_wire(int32_t* samples, const uint8_t* in, size_t count) {
    swap_in(samples, in, count);
}

}  // namespace vesksim
