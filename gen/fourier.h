// The discrete Fourier transform of the block length through FFTW, in place
// and unscaled: X[k] = sum of x[n] e^(-2 pi i k n / N), or e^(+...) for the
// inverse.
#pragma once

#include <fftw3.h>

#include <complex>
#include <vector>

// Both directions planned once for one length (FFTW_ESTIMATE: quick to make
// and the same every run), to run on many blocks.
struct fourier_plan {
    explicit fourier_plan(size_t size);
    ~fourier_plan();
    fourier_plan(const fourier_plan &) = delete;
    fourier_plan &operator=(const fourier_plan &) = delete;
    size_t size;
    fftw_complex *work;  // FFTW's own aligned buffer, where the plans run
    fftw_plan forward = nullptr, inverse = nullptr;
};

// x holds plan.size values.
void fourier_transform(const fourier_plan &plan, std::vector<std::complex<double>> &x, bool inverse);
