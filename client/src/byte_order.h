// Samples travel as big-endian 32-bit words. These loops carry every staged
// and captured block, so they are written to be vectorised.
#pragma once

#include <cstddef>
#include <cstdint>

void copy_to_big_endian(uint32_t *__restrict to, const uint32_t *__restrict from,
                        std::size_t count);
void to_big_endian(uint32_t *words, std::size_t count);
void from_big_endian(uint32_t *words, std::size_t count);
// From big-endian, then shifted right by 8 with the sign kept: the 24-bit
// value of the upper three bytes.
void from_big_endian_24bit(uint32_t *words, std::size_t count);
