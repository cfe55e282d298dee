// Least squares at a known frequency: DC, the fundamental and its harmonics
// up to Nyquist fitted in each window of one length, so that what remains is
// noise alone, whatever the window's phase or how many periods it holds.
#pragma once

#include <vector>

constexpr int fitted_harmonics = 10;  // the fundamental and harmonics 2 to 10

struct tone_fit {
    tone_fit(int length, double freq_hz, double rate);
    int length;
    int harmonics;                // fitted, fundamental included
    int terms;                    // DC, then a cosine and a sine per harmonic
    int kept_terms;               // those independent of the others over the window
    std::vector<double> inverse;  // of the normal equations' matrix; 0 for a dropped term
    std::vector<double> gram;     // the matrix itself
    std::vector<double> table;    // the terms at every sample, when small enough to keep
    std::vector<double> c, s;     // the fundamental's cosine and sine
    // The terms at sample n, worked out from c and s whatever the table.
    void terms_at(int n, double *out) const;
};

struct fitted_window {
    double dc = 0;
    double phase = 0;           // of the fundamental at the window's first sample
    std::vector<double> power;  // mean square of each harmonic, [0] the fundamental
};

// Fits x (length values, in full scale) and leaves the rest in residual.
fitted_window fit_window(const tone_fit &fit, const double *x, double *residual);
