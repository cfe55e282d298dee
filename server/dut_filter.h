// The device under test's filters: second-order Butterworth sections
// (Q = 1/sqrt 2) made by the bilinear transform with the corner pre-warped.
// With K = tan(pi corner / rate) and D = 1 + sqrt2 K + K^2,
//   lowpass  H(z) = K^2 (1 + 2 z^-1 + z^-2) / A(z)
//   highpass H(z) =     (1 - 2 z^-1 + z^-2) / A(z)
//   A(z) = D + 2 (K^2 - 1) z^-1 + (1 - sqrt2 K + K^2) z^-2
// so the response at f is the analogue section's at
// W = tan(pi f / rate) / K, exactly.
#pragma once

namespace vesksim {

enum class section_kind { lowpass, highpass };

// Coefficients divided by D; a0 is 1.
struct biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

struct biquad_state {
    double s1 = 0, s2 = 0;
};

// corner_hz above 0 and below rate_hz / 2.
biquad butterworth_section(section_kind kind, double corner_hz, double rate_hz);

// One sample through a section, in transposed direct form II.
inline double filter_sample(const biquad &q, biquad_state &s, double x) {
    const double y = q.b0 * x + s.s1;
    s.s1 = q.b1 * x - q.a1 * y + s.s2;
    s.s2 = q.b2 * x - q.a2 * y;
    return y;
}

}  // namespace vesksim
