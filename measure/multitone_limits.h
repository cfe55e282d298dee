// Limits on what a multitone measures: per channel (flatness over a band,
// tdn, latency), per pair of channels (crosstalk, stimulus j on input i),
// and for all channels at once (gain-match, phase-match).
#pragma once

#include <vector>

#include "figure_limits.h"
#include "multitone.h"

void check_multitone_limits(const multitone_result &r, const std::vector<limit> &limits,
                            std::vector<limit_result> &results);
