// The noise in the audio band read off a power spectrum, and the dynamic
// range it gives: the idle-channel noise of a silent capture, or all but
// the fundamental and DC of a tone, optionally weighted.
#pragma once

#include "figures.h"
#include "weighting.h"

// 20 Hz to 20 kHz, or to Nyquist when that is lower.
struct audio_band {
    double low_hz, high_hz;
};
audio_band audio_band_of(double rate);

// Mean square of the spectrum within the audio band, weighted, without DC
// and the fundamental at fundamental_hz (NaN: no tone, the whole band). The
// bins within lobe of DC and of the fundamental are counted with the noise
// of their clean neighbours instead, and a bin on a band edge by the share of
// its width inside the band. NaN when no clean bin is left to estimate from.
double band_noise(const power_spectrum &spectrum, double fundamental_hz, int lobe, weighting w);

// Dynamic range as data sheets quote it: with a fundamental between -70 and
// -50 dBFS, the level of everything else in the band, negated. NaN for a
// louder, softer or missing tone.
double dynamic_range_db(double fundamental_dbfs, double noise_dbfs);
