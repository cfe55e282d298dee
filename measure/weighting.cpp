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

// The 468 network's response as a ratio of polynomials in f.
double itu_468_response(double f) {
    double f2 = f * f, f3 = f2 * f;
    double h1 = -4.737338981378384e-24 * f3 * f3 + 2.043828333606125e-15 * f2 * f2 - 1.363894795463638e-7 * f2 + 1;
    double h2 = 1.306612257412824e-19 * f3 * f2 - 2.118150887518656e-11 * f3 + 5.559488023498642e-4 * f;
    return 1.246332637532143e-4 * f / std::sqrt(h1 * h1 + h2 * h2);
}

const struct {
    weighting which;
    const char *name, *mark;
} names[] = {{weighting::none, "none", ""}, {weighting::a, "a", "(A)"}, {weighting::itu_468, "468", "(468)"}};

}  // namespace

const char *weighting_name(weighting w) { return names[static_cast<int>(w)].name; }

const char *weighting_mark(weighting w) { return names[static_cast<int>(w)].mark; }

std::optional<weighting> weighting_by_name(const std::string &name) {
    for (const auto &n : names)
        if (name == n.name) return n.which;
    return std::nullopt;
}

double a_weighting_db(double freq_hz) {
    static const a_poles p = poles();
    static const double at_1k = a_response(p, 1000);
    return 20 * std::log10(a_response(p, std::fabs(freq_hz)) / at_1k);
}

double itu_468_weighting_db(double freq_hz) {
    static const double at_1k = itu_468_response(1000);
    return 20 * std::log10(itu_468_response(std::fabs(freq_hz)) / at_1k);
}

double weighting_power_gain(weighting w, double freq_hz) {
    switch (w) {
    case weighting::a: return std::pow(10, a_weighting_db(freq_hz) / 10);
    case weighting::itu_468: return std::pow(10, itu_468_weighting_db(freq_hz) / 10);
    case weighting::none: break;
    }
    return 1;
}
