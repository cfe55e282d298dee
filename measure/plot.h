// The picture: per channel the spectrum in dBFS over a logarithmic frequency
// axis with the fundamental and harmonics marked, and a few periods of the
// waveform, drawn by gnuplot run as a child process.
#pragma once

#include <string>

#include "measurement.h"

// A gnuplot string in single quotes, where nothing is substituted; only
// printable ASCII gets there, anything else reads '?'.
std::string gnuplot_quoted(const std::string &text);
// gnuplot's path from PATH; empty when it is not there.
std::string find_gnuplot();
// The gnuplot script that draws the PNG to its standard output.
std::string plot_script(const measurement &m);
// Runs gnuplot on the script, its output into the existing file png; throws
// measure_error when it fails.
void run_gnuplot(const std::string &gnuplot, const std::string &script, const std::string &png);
