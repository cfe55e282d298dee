#include "fourier.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>

real_fft::real_fft(int size) : size(size) {
    input = fftw_alloc_real(static_cast<size_t>(size));
    output = reinterpret_cast<std::complex<double> *>(fftw_alloc_complex(static_cast<size_t>(size / 2 + 1)));
    plan = fftw_plan_dft_r2c_1d(size, input, reinterpret_cast<fftw_complex *>(output), FFTW_ESTIMATE);
}

real_fft::~real_fft() {
    fftw_destroy_plan(static_cast<fftw_plan>(plan));
    fftw_free(input);
    fftw_free(output);
}

void real_fft::run() { fftw_execute(static_cast<fftw_plan>(plan)); }

std::vector<double> blackman_harris_7(int size) {
    static constexpr double a[] = {0.27105140069342, 0.43329793923448, 0.21812299954311, 0.06592544638803,
                                   0.01081174209837, 0.00077658482522, 0.00001388721735};
    std::vector<double> w(static_cast<size_t>(size));
    for (int n = 0; n < size; ++n) {
        double x = size > 1 ? 2.0 * M_PI * n / (size - 1) : 0.0;
        double sum = 0;
        for (int k = 0; k < 7; ++k) sum += (k % 2 ? -a[k] : a[k]) * std::cos(k * x);
        w[static_cast<size_t>(n)] = sum;
    }
    return w;
}

double fundamental_bin(const std::vector<double> &bins) {
    int count = static_cast<int>(bins.size());
    int first = window_lobe_bins;
    if (count < first + 3) return -1;
    int peak = first;
    for (int m = first; m < count - 1; ++m)
        if (bins[static_cast<size_t>(m)] > bins[static_cast<size_t>(peak)]) peak = m;
    double left = bins[static_cast<size_t>(peak - 1)], centre = bins[static_cast<size_t>(peak)],
           right = bins[static_cast<size_t>(peak + 1)];
    if (!(centre > 0) || !(left > 0) || !(right > 0)) return centre > 0 ? peak : -1;
    double l = std::log(left), c = std::log(centre), r = std::log(right);
    double curve = 2 * c - l - r;
    return curve > 0 ? peak + 0.5 * (r - l) / curve : peak;
}

double tone_power(const std::vector<double> &bins, double at, int lobe) {
    long centre = std::lround(at);
    long from = std::max(0L, centre - lobe), to = std::min(static_cast<long>(bins.size()) - 1, centre + lobe);
    double sum = 0;
    for (long m = from; m <= to; ++m) sum += bins[static_cast<size_t>(m)];
    return sum;
}

std::vector<bin_role> bin_roles(size_t count, double bin_hz, double freq_hz, double rate, int lobe) {
    std::vector<bin_role> roles(count, bin_role::ignored);
    double nyquist = rate / 2, low = 20.0, high = std::min(20000.0, nyquist);
    for (size_t m = 0; m < count; ++m)
        if (m * bin_hz >= low && m * bin_hz <= high) roles[m] = bin_role::noise_in_band;
    auto mark = [&](double at, bin_role role) {
        long centre = std::lround(at), last = static_cast<long>(count) - 1;
        for (long m = std::max(0L, centre - lobe); m <= std::min(last, centre + lobe); ++m) {
            bin_role &r = roles[static_cast<size_t>(m)];
            if (role == bin_role::harmonic)
                r = r == bin_role::noise_in_band ? bin_role::harmonic_in_band
                    : r == bin_role::ignored     ? bin_role::harmonic
                                                 : r;
            else
                r = role;
        }
    };
    double fundamental_at = freq_hz / bin_hz;
    for (int h = 2; h <= 10 && h * freq_hz < nyquist; ++h) mark(h * fundamental_at, bin_role::harmonic);
    mark(fundamental_at, bin_role::fundamental);
    mark(0, bin_role::ignored);
    return roles;
}

distortion measure_distortion(const std::vector<double> &bins, const std::vector<bin_role> &roles) {
    distortion d;
    for (size_t m = 0; m < bins.size(); ++m) {
        double p = bins[m];
        switch (roles[m]) {
        case bin_role::fundamental: d.fundamental += p; break;
        case bin_role::harmonic: d.harmonics += p; break;
        case bin_role::harmonic_in_band:
            d.harmonics += p;
            d.noise_and_distortion += p;
            break;
        case bin_role::noise_in_band: d.noise_and_distortion += p; break;
        case bin_role::ignored: break;
        }
    }
    return d;
}

void fill_distortion_figures(const distortion &d, signal_figures &figures) {
    if (!(d.fundamental > 0)) {
        // Nothing of the fundamental: as bad as it gets.
        figures.thd_db = figures.thdn_db = HUGE_VAL;
        figures.snr_db = -HUGE_VAL;
        return;
    }
    figures.thd_db = db_of_ratio(d.harmonics / d.fundamental);
    figures.thdn_db = db_of_ratio(d.noise_and_distortion / d.fundamental);
    figures.snr_db = -db_of_ratio(std::max(0.0, d.noise_and_distortion - d.harmonics) / d.fundamental);
}
