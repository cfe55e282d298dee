// A capture against the reference it should match: the latency by
// cross-correlation, then the samples compared after alignment.
#pragma once

#include <cstdint>

#include "capture_source.h"
#include "figures.h"

// The latency is the lag at which capture[n + lag] best matches
// reference[n], from the first 65536 samples of each, within half of that
// either way. With upper_24_bits only the upper 24 bits of each word count, as an I2S
// path carries them.
reference_match match_reference(const capture_source &capture, const capture_source &reference, bool upper_24_bits);
