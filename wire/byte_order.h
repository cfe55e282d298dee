// Samples travel as big-endian 32-bit words. These loops carry every staged
// and captured block, so they are written to be vectorised.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wire {

inline constexpr uint32_t every_bit = 0xFFFFFFFF;

// Writes count words to out (any alignment) as big-endian, each ANDed with
// keep first.
void copy_to_big_endian(void *__restrict out, const uint32_t *__restrict words, std::size_t count,
                        uint32_t keep = every_bit);
// Reads count big-endian words from in (any alignment).
void copy_from_big_endian(uint32_t *__restrict words, const void *__restrict in, std::size_t count);
void to_big_endian(uint32_t *words, std::size_t count);
void from_big_endian(uint32_t *words, std::size_t count);
// From big-endian, then shifted right by 8 with the sign kept: the 24-bit
// value of the upper three bytes.
void from_big_endian_24bit(uint32_t *words, std::size_t count);

}  // namespace wire
