// What veskgen wrote: one line per file for the user, and JSON for tools.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "stimulus.h"

std::string summary_lines(const gen_settings &settings, const std::vector<channel_stimulus> &channels);
std::string description_json(const gen_settings &settings, const std::vector<channel_stimulus> &channels);
