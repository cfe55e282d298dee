#include "reference_match.h"

#include <fftw3.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>

#include "fourier.h"

namespace {

// Inverse real transform, for the correlation.
struct inverse_real_fft {
    explicit inverse_real_fft(int size, std::complex<double> *in, double *out) {
        plan = fftw_plan_dft_c2r_1d(size, reinterpret_cast<fftw_complex *>(in), out, FFTW_ESTIMATE);
    }
    ~inverse_real_fft() { fftw_destroy_plan(plan); }
    fftw_plan plan;
};

// count samples into the transform's input (zero beyond), and running sums
// of their squares: energy[i] holds the samples before i.
std::vector<double> load(real_fft &fft, const capture_source &source, int64_t count) {
    std::vector<int32_t> x(static_cast<size_t>(count));
    read_samples(source, 0, count, x.data());
    std::fill(fft.input, fft.input + fft.size, 0.0);
    std::vector<double> energy(static_cast<size_t>(count) + 1, 0.0);
    for (int64_t n = 0; n < count; ++n) {
        double v = x[static_cast<size_t>(n)] / full_scale;
        fft.input[n] = v;
        energy[static_cast<size_t>(n) + 1] = energy[static_cast<size_t>(n)] + v * v;
    }
    fft.run();
    return energy;
}

struct lag_search {
    int64_t lag = 0;
    std::string missing;
};

lag_search find_latency(const capture_source &capture, const capture_source &reference, int64_t range) {
    int64_t m = std::min(reference.samples, reference_segment);
    int64_t c = std::min(capture.samples, m + range);
    int size = static_cast<int>(std::bit_ceil(static_cast<uint64_t>(m + c)));
    real_fft a(size), b(size);
    std::vector<double> capture_energy = load(a, capture, c), reference_energy = load(b, reference, m);
    lag_search out;
    std::string within = " within " + std::to_string(range) + " samples either way";
    if (!(reference_energy.back() > 0)) return out.missing = "silent reference", out;
    if (!(capture_energy.back() > 0)) return out.missing = "silent capture" + within, out;
    for (int i = 0; i <= size / 2; ++i) b.output[i] = a.output[i] * std::conj(b.output[i]);
    std::vector<double> correlation(static_cast<size_t>(size));
    {
        inverse_real_fft inverse(size, b.output, correlation.data());
        fftw_execute(inverse.plan);
    }
    // reference[n] meets capture[n + lag] for n in [first, end)
    int64_t low = std::max(-range, -(m - 1)), high = std::min(range, c - 1);
    int64_t least_overlap = std::max<int64_t>(1, std::min(m, c) / 2);
    std::vector<double> match(static_cast<size_t>(high - low + 1), 0.0);
    for (int64_t lag = low; lag <= high; ++lag) {
        int64_t first = std::max<int64_t>(0, -lag), end = std::min(m, c - lag);
        if (end - first < least_overlap) continue;
        double er = reference_energy[static_cast<size_t>(end)] - reference_energy[static_cast<size_t>(first)];
        double ec = capture_energy[static_cast<size_t>(end + lag)] - capture_energy[static_cast<size_t>(first + lag)];
        double v = correlation[static_cast<size_t>(lag >= 0 ? lag : size + lag)] / size;
        if (er > 0 && ec > 0) match[static_cast<size_t>(lag - low)] = std::fabs(v) / std::sqrt(er * ec);
    }
    auto best = static_cast<int64_t>(std::max_element(match.begin(), match.end()) - match.begin());
    double peak = match[static_cast<size_t>(best)];
    int64_t first = std::max<int64_t>(0, -(best + low)), end = std::min(m, c - (best + low));
    double overlap = static_cast<double>(end - first);
    // Chance alone gives about 1 / sqrt(overlap); a match must stand far above it.
    if (!(peak >= std::max(0.3, 8 / std::sqrt(overlap)))) return out.missing = "no match" + within, out;
    // Another lag outside the best one's peak that matches as well, within
    // what noise could make of the difference, leaves the lag unknown.
    int64_t left = best, right = best;
    auto size_of = static_cast<int64_t>(match.size());
    while (left > 0 && match[static_cast<size_t>(left - 1)] > peak / 2) --left;
    while (right + 1 < size_of && match[static_cast<size_t>(right + 1)] > peak / 2) ++right;
    double second = 0;
    for (int64_t i = 0; i < size_of; ++i)
        if (i < left || i > right) second = std::max(second, match[static_cast<size_t>(i)]);
    double margin = std::max(1e-6, 4 * std::sqrt(std::max(0.0, 1 - peak * peak) / overlap));
    if (second > peak - margin) return out.missing = "ambiguous: the reference repeats" + within, out;
    out.lag = best + low;
    return out;
}

}  // namespace

reference_match match_reference(const capture_source &capture, const capture_source &reference, bool upper_24_bits,
                                int64_t range) {
    reference_match out;
    out.compared = true;
    out.largest_lag = range;
    lag_search found = find_latency(capture, reference, range);
    if (!found.missing.empty()) {
        out.missing = found.missing;
        return out;
    }
    out.latency = found.lag;
    // reference[n] meets capture[n + latency]
    int64_t first = std::max<int64_t>(0, -out.latency);
    int64_t end = std::min(reference.samples, capture.samples - out.latency);
    constexpr int64_t chunk = 1 << 16;
    std::vector<int32_t> c(chunk), r(chunk);
    double squares = 0;
    for (int64_t n = first; n < end; n += chunk) {
        int64_t take = std::min(chunk, end - n);
        read_samples(reference, n, take, r.data());
        read_samples(capture, n + out.latency, take, c.data());
        for (int64_t i = 0; i < take; ++i) {
            int64_t want = r[i], got = c[i];
            if (upper_24_bits) want >>= 8, got >>= 8;
            if (want != got) {
                ++out.differing_samples;
                double d = static_cast<double>(c[i]) - r[i];
                squares += d * d;
            }
        }
        out.compared_samples += take;
    }
    out.bit_exact = out.compared_samples > 0 && out.differing_samples == 0;
    if (out.compared_samples > 0)
        out.difference_dbfs = dbfs_of_mean_square(squares / out.compared_samples / (full_scale * full_scale));
    return out;
}
