#include "byte_order.h"

#include <bit>
#include <cstring>

// A loop of byte swaps vectorises only where the target has a byte shuffle,
// which baseline x86-64 lacks (GCC leaves it scalar there): on x86-64 each
// loop is built for AVX2 and SSSE3 as well, and the version the processor
// runs is picked at load time. The file is built with -O3, which vectorises
// them. Bytes move by memcpy, which the compiler turns into plain loads and
// stores, so that no byte buffer is read as words.

#if defined(__x86_64__)
#define VECTOR_VERSIONS __attribute__((target_clones("avx2", "ssse3", "default")))
#else
#define VECTOR_VERSIONS
#endif

namespace wire {

namespace {

inline uint32_t swapped_on_little_endian(uint32_t word) {
    if constexpr (std::endian::native == std::endian::big) return word;
    return __builtin_bswap32(word);
}

inline uint32_t shifted_24bit(uint32_t w) { return static_cast<uint32_t>(static_cast<int32_t>(w) >> 8); }

}  // namespace

VECTOR_VERSIONS void copy_to_big_endian(void *__restrict out, const uint32_t *__restrict words, std::size_t count,
                                        uint32_t keep) {
    auto *bytes = static_cast<uint8_t *>(out);
    for (std::size_t i = 0; i < count; ++i) {
        const uint32_t word = swapped_on_little_endian(words[i] & keep);
        std::memcpy(bytes + 4 * i, &word, 4);
    }
}

VECTOR_VERSIONS void copy_from_big_endian(uint32_t *__restrict words, const void *__restrict in, std::size_t count) {
    const auto *bytes = static_cast<const uint8_t *>(in);
    for (std::size_t i = 0; i < count; ++i) {
        uint32_t word;
        std::memcpy(&word, bytes + 4 * i, 4);
        words[i] = swapped_on_little_endian(word);
    }
}

VECTOR_VERSIONS void to_big_endian(uint32_t *words, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) return;
    for (std::size_t i = 0; i < count; ++i) words[i] = __builtin_bswap32(words[i]);
}

void from_big_endian(uint32_t *words, std::size_t count) { to_big_endian(words, count); }

VECTOR_VERSIONS void from_big_endian_24bit(uint32_t *words, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) words[i] = shifted_24bit(swapped_on_little_endian(words[i]));
}

}  // namespace wire
