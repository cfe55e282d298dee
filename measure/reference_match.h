// A capture against the reference it should match: the latency by
// normalised cross-correlation, then the samples compared after alignment.
#pragma once

#include <cstdint>

#include "capture_source.h"
#include "figures.h"

constexpr int64_t default_latency_range = 65536, longest_latency_range = 1 << 20;
constexpr int64_t reference_segment = 1 << 18;  // samples of the reference correlated

// The latency is the lag, within range either way, at which capture[n + lag]
// best matches reference[n] over the first reference_segment samples of the
// reference, each lag's correlation normalised by the energy of the two over
// their overlap. None (missing says why) for a silent reference or capture,
// a best match too weak to stand out from chance, or one another lag matches
// as well (a reference that repeats within the range). With upper_24_bits
// only the upper 24 bits of each word count, as an I2S path carries them.
reference_match match_reference(const capture_source &capture, const capture_source &reference, bool upper_24_bits,
                                int64_t range = default_latency_range);
