#include "byte_order.h"

#include <bit>
#include <cstring>

// A loop of byte swaps vectorises only where the target has a byte shuffle,
// which baseline x86-64 lacks (GCC leaves it scalar there): on x86-64 each
// loop is built for AVX2 and SSSE3 as well, and the version the processor
// runs is picked at load time. The file is built with -O3, which vectorises
// them.

#if defined(__x86_64__)
#define VECTOR_VERSIONS __attribute__((target_clones("avx2", "ssse3", "default")))
#else
#define VECTOR_VERSIONS
#endif

namespace {

constexpr bool host_is_big_endian = std::endian::native == std::endian::big;

inline uint32_t shifted_24bit(uint32_t w) {
    return static_cast<uint32_t>(static_cast<int32_t>(w) >> 8);
}

VECTOR_VERSIONS void swap_copy(uint32_t *__restrict to, const uint32_t *__restrict from,
                               std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) to[i] = __builtin_bswap32(from[i]);
}

VECTOR_VERSIONS void swap_in_place(uint32_t *words, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) words[i] = __builtin_bswap32(words[i]);
}

VECTOR_VERSIONS void swap_and_shift_in_place(uint32_t *words, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) words[i] = shifted_24bit(__builtin_bswap32(words[i]));
}

void shift_in_place(uint32_t *words, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) words[i] = shifted_24bit(words[i]);
}

}  // namespace

void copy_to_big_endian(uint32_t *__restrict to, const uint32_t *__restrict from,
                        std::size_t count) {
    if (host_is_big_endian)
        std::memcpy(to, from, count * sizeof *to);
    else
        swap_copy(to, from, count);
}

void to_big_endian(uint32_t *words, std::size_t count) {
    if (!host_is_big_endian) swap_in_place(words, count);
}

void from_big_endian(uint32_t *words, std::size_t count) { to_big_endian(words, count); }

void from_big_endian_24bit(uint32_t *words, std::size_t count) {
    if (host_is_big_endian)
        shift_in_place(words, count);
    else
        swap_and_shift_in_place(words, count);
}
