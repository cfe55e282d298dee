// The summary of the staged sequence, printed before output starts.
#pragma once

#include <string>

#include "run_settings.h"

// The summary lines, each ending in a line end.
std::string format_sequence_summary(const run_settings &settings, int32_t sequence_length);
