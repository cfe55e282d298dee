// One channel measured in two streaming passes: averaged long-window
// spectra for the whole capture's frequency, distortion and noise, then
// windows of the chosen length for the time-domain figures and the worst
// window. Memory stays bounded whatever the length.
#pragma once

#include <cstdint>

#include "capture_source.h"
#include "figures.h"
#include "weighting.h"

struct analysis_settings {
    double rate = 48000;
    int64_t window = 1024;
    weighting noise_weighting = weighting::none;  // of thdn, snr, noise and dr
};

channel_figures analyse_channel(const capture_source &source, const analysis_settings &settings);
