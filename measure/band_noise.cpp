#include "band_noise.h"

#include <algorithm>
#include <cmath>

std::vector<double> band_gains(size_t count, double bin_hz, double rate, weighting w) {
    std::vector<double> gains(count);
    for (size_t m = 0; m < count; ++m) {
        double share = band_share(m, bin_hz, rate);
        gains[m] = share > 0 ? share * weighting_power_gain(w, static_cast<double>(m) * bin_hz) : 0;
    }
    return gains;
}

namespace {

// A tone's power spreads over the bins of the window's lobe (a variance of
// 1.09 bins squared for the 7-term Blackman-Harris window), and the gain's
// curvature across them would shift a low tone's weighting (0.36 dB at
// 31.5 Hz in 2.9 Hz bins). The gain less half the variance times its second
// derivative undoes that to second order and leaves white noise as it was;
// as a factor of at most 2, so that it stays positive and bounded where bins
// are wide.
constexpr double lobe_variance_bins = 1.092;

std::vector<double> weighted(const std::vector<double> &bins, double bin_hz, weighting w) {
    std::vector<double> out(bins.size());
    double step = bin_hz / 8;
    for (size_t m = 0; m < bins.size(); ++m) {
        double f = static_cast<double>(m) * bin_hz, g = weighting_power_gain(w, f);
        if (!(g > 0)) {
            out[m] = 0;
            continue;
        }
        double curve = (weighting_power_gain(w, f + step) - 2 * g + weighting_power_gain(w, f - step)) / (step * step);
        out[m] = bins[m] * g * std::exp(std::min(0.7, -lobe_variance_bins * bin_hz * bin_hz * curve / (2 * g)));
    }
    return out;
}

}  // namespace

distortion weighted_distortion(const std::vector<double> &bins, const std::vector<bin_role> &roles, double bin_hz,
                               double rate, double freq_hz, weighting w) {
    // Where a tone lies is read off the plain spectrum: a steep weighting would move it.
    std::vector<double> shares = band_shares(bins, roles, bin_hz, rate, freq_hz);
    distortion plain = measure_distortion(bins, roles, shares);
    if (w == weighting::none) return plain;
    distortion d = measure_distortion(weighted(bins, bin_hz, w), roles, shares);
    d.fundamental = plain.fundamental;
    d.harmonics = plain.harmonics;
    return d;
}

double band_noise(const distortion &d) { return d.noise - d.noise_under_harmonics + d.harmonics_in_band; }

double idle_noise(const std::vector<double> &bins, double bin_hz, double rate, int lobe, weighting w) {
    std::vector<bin_role> roles(bins.size(), bin_role::noise);
    for (size_t m = 0; m < roles.size() && m <= static_cast<size_t>(lobe); ++m) roles[m] = bin_role::dc;
    return measure_distortion(weighted(bins, bin_hz, w), roles, band_shares(bins, roles, bin_hz, rate, 0)).noise;
}

double dynamic_range_db(double fundamental_dbfs, double noise_dbfs) {
    if (!(fundamental_dbfs >= -70 && fundamental_dbfs <= -50)) return not_measured;
    return -noise_dbfs;
}
