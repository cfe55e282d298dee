#include "reference_match.h"

#include <fftw3.h>

#include <algorithm>
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

void load(real_fft &fft, const capture_source &source, int64_t count) {
    std::vector<int32_t> x(static_cast<size_t>(count));
    read_samples(source, 0, count, x.data());
    std::fill(fft.input, fft.input + fft.size, 0.0);
    for (int64_t n = 0; n < count; ++n) fft.input[n] = x[static_cast<size_t>(n)] / full_scale;
    fft.run();
}

constexpr int64_t correlation_length = 65536;

int64_t find_latency(const capture_source &capture, const capture_source &reference) {
    int64_t count = std::min({capture.samples, reference.samples, correlation_length});
    int size = static_cast<int>(2 * count);
    real_fft a(size), b(size);
    load(a, capture, count);
    load(b, reference, count);
    for (int m = 0; m <= size / 2; ++m) b.output[m] = a.output[m] * std::conj(b.output[m]);
    std::vector<double> correlation(static_cast<size_t>(size));
    {
        inverse_real_fft inverse(size, b.output, correlation.data());
        fftw_execute(inverse.plan);
    }
    int64_t best = 0;
    double best_value = -1;
    for (int64_t lag = -count / 2; lag <= count / 2; ++lag) {
        double v = std::fabs(correlation[static_cast<size_t>(lag >= 0 ? lag : size + lag)]);
        if (v > best_value) best_value = v, best = lag;
    }
    return best;
}

}  // namespace

reference_match match_reference(const capture_source &capture, const capture_source &reference, bool upper_24_bits) {
    reference_match out;
    out.compared = true;
    out.latency = find_latency(capture, reference);
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
