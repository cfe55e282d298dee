// Samples to and from their big-endian wire form, a whole run at a time.
// Every staged and captured sample passes through these loops.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vesksim {

// Writes `count` samples as big-endian words, each ANDed with `keep` first
// (0xFFFFFFFF keeps every bit).
void samples_to_wire(uint8_t* out, const int32_t* samples, size_t count, uint32_t keep);

// Reads `count` big-endian words as samples.
void samples_from_wire(int32_t* samples, const uint8_t* in, size_t count);

}  // namespace vesksim
