// The noise in the audio band, weighted when asked, and the dynamic range it
// gives: the idle-channel noise of a capture without a tone, or everything
// but the fundamental and DC beside one.
#pragma once

#include <vector>

#include "fourier.h"
#include "weighting.h"

// Per bin of a spectrum of count bins: its share of the band (fractional at
// the edges) times the weighting's power gain at its frequency.
std::vector<double> band_gains(size_t count, double bin_hz, double rate, weighting w);

// A tone's distortion with the noise terms weighted: the fundamental and the
// harmonics (for THD) as they are, the band's noise and harmonics from the
// weighted spectrum.
distortion weighted_distortion(const std::vector<double> &bins, const std::vector<bin_role> &roles, double bin_hz,
                               double rate, double freq_hz, weighting w);

// Mean square of everything in the band but the fundamental and DC.
double band_noise(const distortion &d);

// The whole band of a spectrum without a tone, the noise under DC's lobe
// estimated from the bins beside it.
double idle_noise(const std::vector<double> &bins, double bin_hz, double rate, int lobe, weighting w);

// Dynamic range as data sheets quote it: with a fundamental between -70 and
// -50 dBFS, the level of everything else in the band, negated. NaN for a
// louder, softer or missing tone.
double dynamic_range_db(double fundamental_dbfs, double noise_dbfs);
