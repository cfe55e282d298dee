#include "byte_order.h"

#include <bit>
#include <cstring>

// GCC leaves a loop of byte swaps scalar unless the target has a byte
// shuffle (SSSE3), which the baseline x86-64 lacks; on vectors of four words
// the same swap becomes shifts and masks that every SIMD unit has.

namespace {

typedef uint32_t four_words __attribute__((vector_size(16)));
typedef int32_t four_samples __attribute__((vector_size(16)));

constexpr bool host_is_big_endian = std::endian::native == std::endian::big;

inline uint32_t swapped(uint32_t word) { return __builtin_bswap32(word); }

inline four_words swapped(four_words w) {
    return (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
}

inline four_words load(const uint32_t *at) {
    four_words w;
    std::memcpy(&w, at, sizeof w);
    return w;
}

inline void store(uint32_t *at, four_words w) { std::memcpy(at, &w, sizeof w); }

inline four_words shifted_24bit(four_words w) { return (four_words)((four_samples)w >> 8); }

inline uint32_t shifted_24bit(uint32_t w) {
    return static_cast<uint32_t>(static_cast<int32_t>(w) >> 8);
}

constexpr std::size_t lanes = 4;

}  // namespace

void copy_to_big_endian(uint32_t *__restrict to, const uint32_t *__restrict from,
                        std::size_t count) {
    if (host_is_big_endian) {
        std::memcpy(to, from, count * sizeof *to);
        return;
    }
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) store(to + i, swapped(load(from + i)));
    for (; i < count; ++i) to[i] = swapped(from[i]);
}

void to_big_endian(uint32_t *words, std::size_t count) {
    if (host_is_big_endian) return;
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) store(words + i, swapped(load(words + i)));
    for (; i < count; ++i) words[i] = swapped(words[i]);
}

void from_big_endian(uint32_t *words, std::size_t count) { to_big_endian(words, count); }

void from_big_endian_24bit(uint32_t *words, std::size_t count) {
    std::size_t i = 0;
    if (host_is_big_endian) {
        for (; i + lanes <= count; i += lanes) store(words + i, shifted_24bit(load(words + i)));
        for (; i < count; ++i) words[i] = shifted_24bit(words[i]);
        return;
    }
    for (; i + lanes <= count; i += lanes)
        store(words + i, shifted_24bit(swapped(load(words + i))));
    for (; i < count; ++i) words[i] = shifted_24bit(swapped(words[i]));
}
