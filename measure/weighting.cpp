#include "weighting.h"

#include <cmath>

namespace {

// The poles follow from the curve's definition: -3 dB points at 10^1.5 Hz
// and 10^3.9 Hz (D = 1/sqrt 2) about the 1 kHz reference, and the pair
// about 10^2.45 Hz that the high-pass adds. Computed rather than typed in,
// so no rounded constant shifts the curve.
struct a_poles {
    double f1, f2, f3, f4;
};

a_poles poles() {
    const double fr = 1000, fl = std::pow(10, 1.5), fh = std::pow(10, 3.9), fa = std::pow(10, 2.45);
    const double d = std::sqrt(0.5);
    double b = (fr * fr + fl * fl * fh * fh / (fr * fr) - d * (fl * fl + fh * fh)) / (1 - d);
    double c = fl * fl * fh * fh;
    double root = std::sqrt(b * b - 4 * c);
    return {std::sqrt((-b - root) / 2), (3 - std::sqrt(5.0)) / 2 * fa, (3 + std::sqrt(5.0)) / 2 * fa,
            std::sqrt((-b + root) / 2)};
}

// The unnormalised response's magnitude.
double a_response(const a_poles &p, double f) {
    double f2 = f * f;
    return p.f4 * p.f4 * f2 * f2 /
           ((f2 + p.f1 * p.f1) * std::sqrt((f2 + p.f2 * p.f2) * (f2 + p.f3 * p.f3)) * (f2 + p.f4 * p.f4));
}

}  // namespace

const char *weighting_name(weighting w) { return w == weighting::a ? "a" : "none"; }

std::optional<weighting> weighting_by_name(const std::string &name) {
    if (name == "none") return weighting::none;
    if (name == "a" || name == "A") return weighting::a;
    return std::nullopt;
}

double a_weighting_db(double freq_hz) {
    static const a_poles p = poles();
    static const double at_1k = a_response(p, 1000);
    return 20 * std::log10(a_response(p, std::fabs(freq_hz)) / at_1k);
}

double weighting_power_gain(weighting w, double freq_hz) {
    if (w == weighting::none) return 1;
    return std::pow(10, a_weighting_db(freq_hz) / 10);
}
