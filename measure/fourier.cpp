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

double fundamental_bin(const std::vector<double> &bins, int first) {
    int count = static_cast<int>(bins.size());
    if (count < first + 3) return -1;
    int peak = first;
    for (int m = first; m < count - 1; ++m)
        if (bins[static_cast<size_t>(m)] > bins[static_cast<size_t>(peak)]) peak = m;
    double left = bins[static_cast<size_t>(peak - 1)], centre = bins[static_cast<size_t>(peak)],
           right = bins[static_cast<size_t>(peak + 1)];
    if (!(centre > 0) || !(left > 0) || !(right > 0)) return centre > 0 ? peak : -1;
    double l = std::log(left), c = std::log(centre), r = std::log(right);
    double curve = 2 * c - l - r;
    // Within half a bin of the peak, whatever rounding does to nearly equal neighbours.
    return curve > 0 ? peak + std::clamp(0.5 * (r - l) / curve, -0.5, 0.5) : peak;
}

tone_search find_tone(const std::vector<double> &bins, double ac_power, double mean_square) {
    constexpr double lsb_power = 0.5 / (full_scale * full_scale);  // a sine of 1 LSB
    constexpr double above_floor = 100;                            // 20 dB over the median bin
    tone_search out;
    // Nothing above one LSB is silence; DC alone, however large, is no tone.
    if (!(mean_square > lsb_power)) return out.missing = silence, out;
    if (bins.size() < static_cast<size_t>(tone_periods) + 3) return out.too_low = true, out.missing = too_short, out;
    double at = fundamental_bin(bins);
    if (at < 0) return out.missing = no_tone, out;
    // Still rising below the first bin searched: the tone is lower than this spectrum resolves.
    bool at_edge = std::lround(at) <= tone_periods && bins[tone_periods - 1] > bins[tone_periods];
    double power = tone_power(bins, at, window_lobe_bins);
    double resolved = 0;
    for (size_t m = tone_periods; m < bins.size(); ++m) resolved += bins[m];
    double below = ac_power - resolved;
    if (at_edge || below > std::max(power, 0.1 * ac_power)) {
        out.too_low = true;
        return out.missing = too_short, out;
    }
    std::vector<double> floor(bins.begin() + tone_periods, bins.end());
    std::nth_element(floor.begin(), floor.begin() + static_cast<long>(floor.size() / 2), floor.end());
    double median = floor[floor.size() / 2];
    if (!(power > lsb_power) || !(bins[static_cast<size_t>(std::lround(at))] > above_floor * median) ||
        !(power > 1e-12 * ac_power))
        return out.missing = no_tone, out;
    out.at = at;
    return out;
}

double tone_power(const std::vector<double> &bins, double at, int lobe) {
    long centre = std::lround(at);
    long from = std::max(0L, centre - lobe), to = std::min(static_cast<long>(bins.size()) - 1, centre + lobe);
    double sum = 0;
    for (long m = from; m <= to; ++m) sum += bins[static_cast<size_t>(m)];
    return sum;
}

double band_top_hz(double rate) { return std::min(20000.0, rate / 2); }

double band_share(size_t m, double bin_hz, double rate) {
    double low = band_bottom_hz, high = band_top_hz(rate);
    double from = (static_cast<double>(m) - 0.5) * bin_hz, to = (static_cast<double>(m) + 0.5) * bin_hz;
    return std::max(0.0, std::min(to, high) - std::max(from, low)) / bin_hz;
}

std::vector<bin_role> bin_roles(size_t count, double bin_hz, double freq_hz, double rate, int lobe) {
    std::vector<bin_role> roles(count, bin_role::noise);
    auto mark = [&](double at, bin_role role) {
        long centre = std::lround(at), last = static_cast<long>(count) - 1;
        for (long m = std::max(0L, centre - lobe); m <= std::min(last, centre + lobe); ++m)
            roles[static_cast<size_t>(m)] = role;
    };
    double fundamental_at = freq_hz / bin_hz;
    for (int h = 2; h <= 10 && h * freq_hz <= rate / 2; ++h) mark(h * fundamental_at, bin_role::harmonic);
    mark(fundamental_at, bin_role::fundamental);
    mark(0, bin_role::dc);
    return roles;
}

namespace {

// Edges included, to within rounding (a thousandth of a bin).
bool in_band(double hz, double rate, double slack) {
    return hz >= band_bottom_hz - slack && hz <= band_top_hz(rate) + slack;
}

}  // namespace

std::vector<double> band_shares(const std::vector<double> &bins, const std::vector<bin_role> &roles, double bin_hz,
                                double rate, double freq_hz) {
    size_t count = bins.size();
    long last = static_cast<long>(count) - 1;
    std::vector<double> share(count);
    for (size_t m = 0; m < count; ++m) share[m] = band_share(m, bin_hz, rate);
    auto lobe_of = [&](long centre, bin_role role, double inside) {
        for (long m = std::max(0L, centre - window_lobe_bins); m <= std::min(last, centre + window_lobe_bins); ++m)
            if (roles[static_cast<size_t>(m)] == role) share[static_cast<size_t>(m)] = inside;
    };
    // A harmonic is in the band or not as its frequency is.
    for (int h = 2; freq_hz > 0 && h <= 10 && h * freq_hz <= rate / 2; ++h)
        lobe_of(std::lround(h * freq_hz / bin_hz), bin_role::harmonic,
                in_band(h * freq_hz, rate, 1e-3 * bin_hz) ? 1 : 0);
    // So is another tone beside an edge (one standing 20 dB over the noise
    // around it), not by the part of its lobe that spills over. Its
    // frequency is its lobe's centroid above the floor, which a symmetric
    // window's lobe puts exactly on the tone wherever it falls between bins.
    for (double edge : {band_bottom_hz, band_top_hz(rate)}) {
        long at = std::lround(edge / bin_hz), peak = -1;
        std::vector<double> beside;
        for (long m = std::max(0L, at - 4 * window_lobe_bins); m <= std::min(last, at + 4 * window_lobe_bins); ++m) {
            if (roles[static_cast<size_t>(m)] != bin_role::noise) continue;
            beside.push_back(bins[static_cast<size_t>(m)]);
            if (std::labs(m - at) <= window_lobe_bins &&
                (peak < 0 || bins[static_cast<size_t>(m)] > bins[static_cast<size_t>(peak)]))
                peak = m;
        }
        if (peak < 0 || beside.size() < 3) continue;
        std::nth_element(beside.begin(), beside.begin() + static_cast<long>(beside.size() / 2), beside.end());
        double floor = beside[beside.size() / 2];
        if (!(bins[static_cast<size_t>(peak)] > 100 * floor)) continue;
        double power = 0, moment = 0;
        for (long m = std::max(0L, peak - window_lobe_bins); m <= std::min(last, peak + window_lobe_bins); ++m) {
            if (roles[static_cast<size_t>(m)] != bin_role::noise) continue;
            double above = std::max(0.0, bins[static_cast<size_t>(m)] - floor);
            power += above, moment += above * static_cast<double>(m);
        }
        lobe_of(peak, bin_role::noise, in_band(moment / power * bin_hz, rate, 1e-3 * bin_hz) ? 1 : 0);
    }
    return share;
}

distortion measure_distortion(const std::vector<double> &bins, const std::vector<bin_role> &roles,
                              const std::vector<double> &share) {
    constexpr size_t beside = 16;  // noise bins either side that give the density under a tone
    distortion d;
    size_t count = bins.size();
    for (size_t m = 0; m < count;) {
        if (roles[m] == bin_role::noise) {
            d.noise += bins[m] * share[m];
            ++m;
            continue;
        }
        size_t end = m;  // a run of tone bins, and the noise density beside it
        while (end < count && roles[end] != bin_role::noise) ++end;
        double sum = 0;
        int used = 0;
        for (size_t i = m, n = 0; i-- > 0 && n < beside; ++n)
            if (roles[i] == bin_role::noise) sum += bins[i], ++used;
        for (size_t i = end, n = 0; i < count && n < beside; ++i, ++n)
            if (roles[i] == bin_role::noise) sum += bins[i], ++used;
        double density = used ? sum / used : 0;
        for (; m < end; ++m) {
            switch (roles[m]) {
            case bin_role::fundamental: d.fundamental += bins[m]; break;
            case bin_role::harmonic:
                d.harmonics += bins[m];
                d.harmonics_in_band += bins[m] * share[m];
                d.noise_under_harmonics += density * share[m];
                break;
            default: break;
            }
            d.noise += density * share[m];
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
    figures.thdn_db = db_of_ratio((d.noise - d.noise_under_harmonics + d.harmonics_in_band) / d.fundamental);
    figures.snr_db = -db_of_ratio(d.noise / d.fundamental);
}
