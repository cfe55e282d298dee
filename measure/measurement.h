// A whole measurement: what was asked, the figures of every channel and the
// limits checked against them. The reports format it; none of them measures.
#pragma once

#include <vector>

#include "command_line.h"
#include "figure_limits.h"
#include "figures.h"

struct measurement {
    const measure_settings &settings;
    std::vector<channel_figures> channels;
    std::vector<limit_result> results;
    bool pass() const;
    int failures() const;
};
