// Crosstalk: on each channel but the driven one, the level at the driven
// channel's fundamental relative to that fundamental.
#pragma once

#include <vector>

#include "figures.h"

void measure_crosstalk(std::vector<channel_figures> &channels, int driven);
