#include "phases.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "fourier.h"

namespace {

// Rounds of clipping, each two transforms of the block: up to 400 (further
// rounds gain little), fewer for long blocks and many channels so that the
// work stays within a few seconds, but never fewer than 50. Each round clips
// at a share of its peak that rises from 0.6 to 0.95: hard at first to move
// far, gently later to settle.
int improvement_rounds(int64_t block, int channels) {
    int64_t work = block;  // a length not a power of two is counted as several times dearer
    if (block & (block - 1))
        for (work = 3; work < 6 * block; work *= 2) {}
    return int(std::clamp<int64_t>((int64_t(1) << 24) / (work * channels), 50, 400));
}

std::vector<double> schroeder_phases(const std::vector<int64_t> &bins) {
    size_t m = bins.size();
    std::vector<double> phases(m);
    for (size_t i = 1; i < m; ++i)
        phases[i] = std::remainder(
            phases[i - 1] - 2 * M_PI * double(bins[i] - bins[i - 1]) * (double(i) - 0.5) / double(m), 2 * M_PI);
    return phases;
}

std::vector<double> fast_block(const std::vector<int64_t> &bins, const std::vector<double> &phases,
                               const fourier_plan &plan, std::vector<std::complex<double>> &spectrum) {
    std::fill(spectrum.begin(), spectrum.end(), 0);
    for (size_t i = 0; i < bins.size(); ++i) spectrum[size_t(bins[i])] = std::polar(1.0, phases[i]);
    fourier_transform(plan, spectrum, true);
    std::vector<double> x(spectrum.size());
    for (size_t n = 0; n < x.size(); ++n) x[n] = spectrum[n].real();
    return x;
}

}  // namespace

std::vector<double> low_crest_phases(const std::vector<int64_t> &bins, int64_t block, int channels) {
    int rounds = improvement_rounds(block, channels);
    std::vector<double> phases = schroeder_phases(bins), best = phases;
    if (bins.size() < 3) return best;
    std::vector<std::complex<double>> spectrum(static_cast<size_t>(block));
    fourier_plan plan(spectrum.size());
    double best_peak = INFINITY;
    for (int round = 0; round <= rounds; ++round) {
        std::vector<double> x = fast_block(bins, phases, plan, spectrum);
        double peak = peak_of(x);
        if (peak < best_peak) best_peak = peak, best = phases;
        if (round == rounds) break;
        double limit = (0.6 + 0.35 * round / rounds) * peak;
        for (size_t n = 0; n < x.size(); ++n) spectrum[n] = std::clamp(x[n], -limit, limit);
        fourier_transform(plan, spectrum, false);
        for (size_t i = 0; i < bins.size(); ++i) phases[i] = std::arg(spectrum[size_t(bins[i])]);
    }
    return best;
}

std::vector<double> tone_block(const std::vector<int64_t> &bins, const std::vector<double> &phases, int64_t block) {
    size_t n_samples = static_cast<size_t>(block);
    std::vector<double> cosine(n_samples), sine(n_samples), x(n_samples);
    for (int64_t k = 0; k < block; ++k) {
        double angle = 2 * M_PI * double(k) / double(block);
        cosine[size_t(k)] = std::cos(angle), sine[size_t(k)] = std::sin(angle);
    }
    for (size_t i = 0; i < bins.size(); ++i) {
        double c = std::cos(phases[i]), s = std::sin(phases[i]);
        for (int64_t n = 0, k = 0; n < block; ++n, k = (k + bins[i]) % block)
            x[size_t(n)] += c * cosine[size_t(k)] - s * sine[size_t(k)];
    }
    return x;
}

double peak_of(const std::vector<double> &x) {
    double peak = 0;
    for (double v : x) peak = std::max(peak, std::abs(v));
    return peak;
}

double crest_factor_db(const std::vector<double> &x) {
    double squares = 0;
    for (double v : x) squares += v * v;
    return 20 * std::log10(peak_of(x) / std::sqrt(squares / double(x.size())));
}
