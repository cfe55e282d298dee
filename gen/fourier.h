// The discrete Fourier transform of any length, in place and unscaled:
// X[k] = sum of x[n] e^(-2 pi i k n / N), or e^(+...) for the inverse.
#pragma once

#include <complex>
#include <vector>

// The tables for one length, made once for many transforms.
struct fourier_plan {
    size_t size = 0;
    std::vector<std::complex<double>> roots;  // power-of-two lengths: e^(-2 pi i k / N), k < N/2
    // Other lengths, as a convolution of a power-of-two length (Bluestein):
    std::vector<std::complex<double>> chirp, chirp_spectrum;
    std::vector<fourier_plan> padded;  // the plan of that length, when used
};

fourier_plan plan_fourier(size_t size);
void fourier_transform(const fourier_plan &plan, std::vector<std::complex<double>> &x, bool inverse);
