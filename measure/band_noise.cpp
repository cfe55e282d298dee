#include "band_noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

audio_band audio_band_of(double rate) { return {20.0, std::min(20000.0, rate / 2)}; }

namespace {

// Bins that hold a tone or DC, not noise: DC and the fundamental's lobes
// are excluded from the sum; the harmonics' lobes count as noise but are no
// neighbours to estimate noise from.
struct bin_marks {
    std::vector<char> excluded, tonal;
};

bin_marks mark_bins(size_t count, double fundamental_at, int lobe) {
    bin_marks marks{std::vector<char>(count, 0), std::vector<char>(count, 0)};
    auto mark = [&](double at, std::vector<char> &into) {
        long centre = std::lround(at), last = static_cast<long>(count) - 1;
        for (long m = std::max(0L, centre - lobe); m <= std::min(last, centre + lobe); ++m)
            into[static_cast<size_t>(m)] = 1;
    };
    mark(0, marks.excluded);
    if (!std::isnan(fundamental_at)) {
        mark(fundamental_at, marks.excluded);
        for (int h = 2; h <= 10 && h * fundamental_at < static_cast<double>(count - 1); ++h)
            mark(h * fundamental_at, marks.tonal);
    }
    for (size_t m = 0; m < count; ++m) marks.tonal[m] |= marks.excluded[m];
    return marks;
}

// Mean of the nearest clean bins either side of the excluded run from..to.
double neighbour_density(const std::vector<double> &bins, const bin_marks &marks, long from, long to, int lobe) {
    double sum = 0;
    int found = 0;
    long count = static_cast<long>(bins.size());
    for (int side : {-1, 1}) {
        int taken = 0;
        for (long m = side < 0 ? from - 1 : to + 1; m >= 0 && m < count && taken < 2 * lobe; m += side)
            if (!marks.tonal[static_cast<size_t>(m)]) sum += bins[static_cast<size_t>(m)], ++taken;
        found += taken;
    }
    return found ? sum / found : not_measured;
}

}  // namespace

double band_noise(const power_spectrum &spectrum, double fundamental_hz, int lobe, weighting w) {
    const std::vector<double> &bins = spectrum.bins;
    double bin_hz = spectrum.bin_hz;
    if (bins.size() < 2 || !(bin_hz > 0)) return not_measured;
    audio_band band = audio_band_of(2 * bin_hz * static_cast<double>(bins.size() - 1));
    bin_marks marks = mark_bins(bins.size(), fundamental_hz / bin_hz, lobe);
    std::vector<double> power = bins;
    for (size_t m = 0; m < bins.size();) {
        if (!marks.excluded[m]) {
            ++m;
            continue;
        }
        size_t to = m;
        while (to + 1 < bins.size() && marks.excluded[to + 1]) ++to;
        double estimate = neighbour_density(bins, marks, static_cast<long>(m), static_cast<long>(to), lobe);
        std::fill(power.begin() + static_cast<long>(m), power.begin() + static_cast<long>(to) + 1, estimate);
        m = to + 1;
    }
    double sum = 0;
    for (size_t m = 0; m < bins.size(); ++m) {
        double centre = static_cast<double>(m) * bin_hz;
        double share = std::min(centre + bin_hz / 2, band.high_hz) - std::max(centre - bin_hz / 2, band.low_hz);
        if (share > 0) sum += share / bin_hz * weighting_power_gain(w, centre) * power[m];
    }
    return sum;
}

double dynamic_range_db(double fundamental_dbfs, double noise_dbfs) {
    if (!(fundamental_dbfs >= -70 && fundamental_dbfs <= -50)) return not_measured;
    return -noise_dbfs;
}
