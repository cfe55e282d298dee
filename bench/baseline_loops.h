// The conversions a hand-written client would do around plain socket calls:
// the limit that the library's own loops are measured against.
#pragma once

#include <cstddef>
#include <cstdint>

// Big-endian words to host order (or back), in place.
void swap_in_place(uint32_t *words, size_t count);
// Copies samples into wire order.
void copy_swapped(uint32_t *wire, const int32_t *samples, size_t count);
// Copies samples into wire order under a linear fade (gain from 0 in steps of
// 1/count, accumulated), rising from the first sample or from the last.
void copy_ramped_swapped(uint32_t *wire, const int32_t *samples, size_t count, bool rising);
