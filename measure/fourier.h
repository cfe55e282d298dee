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

// The fundamental (the strongest bin above the DC lobe) at a fractional bin,
// by Gaussian interpolation of its neighbours; -1 when the spectrum is empty.
double fundamental_bin(const std::vector<double> &bins);

// Power of the bins within lobe of the fractional bin at, in mean square.
double tone_power(const std::vector<double> &bins, double at, int lobe);

// What each bin of a spectrum counts towards, for a fundamental at freq_hz:
// lobe bins either side of the fundamental, of harmonics 2 to 10 below
// Nyquist and of DC; the rest counts as noise within 20 Hz to 20 kHz (or
// Nyquist when lower).
enum class bin_role : char { ignored, fundamental, harmonic, harmonic_in_band, noise_in_band };
std::vector<bin_role> bin_roles(size_t count, double bin_hz, double freq_hz, double rate, int lobe);

struct distortion {
    double fundamental = 0;  // mean square
    double harmonics = 0;
    double noise_and_distortion = 0;  // in band, harmonics included
};
distortion measure_distortion(const std::vector<double> &bins, const std::vector<bin_role> &roles);
void fill_distortion_figures(const distortion &d, signal_figures &figures);
