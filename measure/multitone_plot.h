// The multitone picture: every channel's response in dB and phase in
// degrees over a logarithmic frequency axis, one pair of axes for all, and
// the crosstalk matrix as a heat map with its colour scale.
#pragma once

#include <string>
#include <vector>

#include "multitone.h"

// The gnuplot script that draws the PNG to its standard output; names are
// the channels' files, shown in the key as data, never as commands.
std::string multitone_plot_script(const multitone_result &r, const std::vector<std::string> &names);
