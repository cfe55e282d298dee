// Spectra through FFTW: a real FFT of one size, the window that keeps
// leakage below anything a 32-bit capture can hold, and the figures read
// off an averaged power spectrum.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include "figures.h"

// A planned real-to-complex transform of one size. Plans are made once per
// size (FFTW_ESTIMATE keeps them deterministic and quick to make).
struct real_fft {
    explicit real_fft(int size);
    ~real_fft();
    real_fft(const real_fft &) = delete;
    real_fft &operator=(const real_fft &) = delete;
    void run();  // input -> output
    int size;
    double *input;                 // size values
    std::complex<double> *output;  // size / 2 + 1 bins
    void *plan;
};

// 7-term Blackman-Harris, symmetric: sidelobes below -180 dB, main lobe
// within +-7 bins.
std::vector<double> blackman_harris_7(int size);
constexpr int window_lobe_bins = 8;  // bins either side of a tone that hold it

// A tone stands at least this many bins above DC in a spectrum (so this
// many periods in its window), clear of DC's lobe.
constexpr int tone_periods = 12;

// The strongest bin from `first` up, at a fractional bin by Gaussian
// interpolation of its neighbours; -1 when the spectrum is empty.
double fundamental_bin(const std::vector<double> &bins, int first = tone_periods);

// The fundamental of an averaged spectrum whose samples had ac_power (mean
// square less the mean's square) and mean_square, or why there is none:
// silence (nothing above one LSB), no tone standing above the floor (DC
// alone included), or more power below the lowest resolved bin than in the
// tone (too short a spectrum for it).
constexpr const char *silence = "silence", *no_tone = "no tone",
                     *too_short = "capture too short for its tone: 12 periods needed";
struct tone_search {
    double at = -1;  // fractional bin
    const char *missing = nullptr;
    bool too_low = false;
};
tone_search find_tone(const std::vector<double> &bins, double ac_power, double mean_square);

// Power of the bins within lobe of the fractional bin at, in mean square.
double tone_power(const std::vector<double> &bins, double at, int lobe);

// The noise band: 20 Hz to band_top_hz, which is 20 kHz or Nyquist when lower.
constexpr double band_bottom_hz = 20;
double band_top_hz(double rate);

// The share of bin m (centred on m * bin_hz, one bin wide) inside 20 Hz to
// 20 kHz, or to Nyquist when lower: 0 to 1, fractional at the edges.
double band_share(size_t m, double bin_hz, double rate);

// What each bin of a spectrum holds, for a fundamental at freq_hz: the lobe
// bins either side of DC, of the fundamental and of harmonics 2 to 10 up to
// Nyquist; the rest is noise.
enum class bin_role : char { dc, fundamental, harmonic, noise };
std::vector<bin_role> bin_roles(size_t count, double bin_hz, double freq_hz, double rate, int lobe);

struct distortion {
    double fundamental = 0;            // mean square
    double harmonics = 0;              // all up to Nyquist
    double harmonics_in_band = 0;      // noise under them included
    double noise = 0;                  // in band: the noise bins, and an estimate of the noise under the others
    double noise_under_harmonics = 0;  // the part of noise that harmonics_in_band hold already
};
// Each bin's share of the band as band_share gives it, but whole or nothing
// for the lobe of a harmonic of freq_hz (0: none) or of another tone beside
// an edge, as the tone's frequency lies inside the band (edges included) or
// not.
std::vector<double> band_shares(const std::vector<double> &bins, const std::vector<bin_role> &roles, double bin_hz,
                                double rate, double freq_hz);
// From an averaged spectrum and its bins' shares of the band: the noise
// hidden under the fundamental's, the harmonics' and DC's bins is estimated
// from the noise bins beside them.
distortion measure_distortion(const std::vector<double> &bins, const std::vector<bin_role> &roles,
                              const std::vector<double> &share);
void fill_distortion_figures(const distortion &d, signal_figures &figures);
