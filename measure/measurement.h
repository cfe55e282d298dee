// A whole measurement: what was asked, the figures of every channel and the
// limits checked against them. The reports format it; none of them measures.
#pragma once

#include <optional>
#include <vector>

#include "command_line.h"
#include "figure_limits.h"
#include "figures.h"
#include "multitone.h"

struct measurement {
    const measure_settings &settings;
    std::vector<channel_figures> channels;
    std::vector<limit_result> results;
    std::optional<multitone_result> multitone = {};  // when the references are multitones
    bool pass() const;
    int failures() const;
};
