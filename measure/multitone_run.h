// The references of a run: read, told apart (multitones or plain), and
// given to their channels; then the multitone analysis on capture files.
#pragma once

#include <optional>
#include <vector>

#include "capture_source.h"
#include "command_line.h"
#include "multitone.h"

struct reference_plan {
    std::vector<capture_source> files;  // as given
    std::vector<int> of_channel;        // index into files; -1: the channel has none
    // One per file when every file is a multitone; empty otherwise.
    std::vector<multitone_reference> multitones;
};

// Throws measure_error when some references are multitones and some not,
// or the multitones differ in length.
reference_plan plan_references(const measure_settings &settings, std::vector<capture_source> files);

multitone_result measure_multitone_files(const std::vector<capture_source> &captures, const reference_plan &plan,
                                         double rate);
