// The discrete Fourier transform of any length, in place and unscaled:
// X[k] = sum of x[n] e^(-2 pi i k n / N), or e^(+...) for the inverse.
#pragma once

#include <complex>
#include <vector>

void fourier_transform(std::vector<std::complex<double>> &x, bool inverse);
