// A capture against the reference it should match: the latency by
// cross-correlation, then the samples compared after alignment.
#pragma once

#include <cstdint>

#include "capture_source.h"
#include "figures.h"

// Samples of each that the cross-correlation looks at; the latency is found
// within half of that either way.
constexpr int64_t correlation_length = 65536;

// Lag (in samples) at which capture best matches reference: capture[n + lag]
// against reference[n].
int64_t find_latency(const capture_source &capture, const capture_source &reference);

// With upper_24_bits only the upper 24 bits of each word count, as an I2S
// path carries them.
reference_match match_reference(const capture_source &capture, const capture_source &reference,
                                bool upper_24_bits);
