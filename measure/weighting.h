// Frequency weightings for the noise figures, applied bin by bin to a power
// spectrum: what a weighting filter ahead of an RMS meter does to noise.
#pragma once

#include <optional>
#include <string>

enum class weighting { none, a, itu_468 };

// "none", "a" or "468", as the command line and the JSON spell it.
const char *weighting_name(weighting w);
std::optional<weighting> weighting_by_name(const std::string &name);
// What a weighted figure's unit carries: "(A)", "(468)"; empty for none.
const char *weighting_mark(weighting w);

// The A-weighting in dB at freq_hz by its defining formula: four real poles
// fixed by the reference frequencies, normalised to 0 dB at 1 kHz. -inf at
// 0 Hz.
double a_weighting_db(double freq_hz);

// The ITU-R 468 weighting in dB at freq_hz by the closed form of its
// network's response, normalised to 0 dB at 1 kHz (+12.2 dB at 6.3 kHz).
double itu_468_weighting_db(double freq_hz);

// The weighting's gain in power at freq_hz; 1 everywhere for none.
double weighting_power_gain(weighting w, double freq_hz);
