#include "tone_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gen_error.h"

namespace {

// Harmonic h of bin b, folded back below the Nyquist bin as the sampling
// folds it.
int64_t harmonic_bin(int64_t b, int64_t h, int64_t block) {
    int64_t k = b * h % block;
    return k > block / 2 ? block - k : k;
}

// Bins that carry a tone, and bins that a 2nd or 3rd harmonic of one falls on.
struct occupied {
    std::vector<bool> tone, harmonic;
    explicit occupied(int64_t block) : tone(size_t(block / 2 + 1)), harmonic(size_t(block / 2 + 1)) {}
};

bool collides(int64_t c, const occupied &o, int64_t block) {
    return o.harmonic[size_t(c)] || o.tone[size_t(harmonic_bin(c, 2, block))] ||
           o.tone[size_t(harmonic_bin(c, 3, block))];
}

void take(int64_t c, occupied &o, int64_t block) {
    o.tone[size_t(c)] = true;
    o.harmonic[size_t(harmonic_bin(c, 2, block))] = o.harmonic[size_t(harmonic_bin(c, 3, block))] = true;
}

std::string hz_text(double hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%g Hz", hz);
    return text;
}

}  // namespace

int64_t nearest_bin(double hz, double rate, int64_t block) {
    return std::clamp<int64_t>(std::llround(hz / rate * double(block)), 1, block / 2 - 1);
}

std::vector<int64_t> log_spaced_bins(const tone_grid &grid) {
    int64_t lo = nearest_bin(grid.from_hz, grid.rate, grid.block);
    int64_t hi = nearest_bin(grid.to_hz, grid.rate, grid.block);
    int64_t m = grid.count;
    if (m > hi - lo + 1)
        throw gen_error(usage_status, std::to_string(m) + " tones do not fit from " + hz_text(grid.from_hz) + " to " +
                                          hz_text(grid.to_hz) + " in blocks of " + std::to_string(grid.block) +
                                          " samples: there are " + std::to_string(hi - lo + 1) + " bins.");
    double width = grid.rate / double(grid.block);
    std::vector<double> target(static_cast<size_t>(m));
    for (int64_t i = 0; i < m; ++i) {
        double share = m > 1 ? double(i) / double(m - 1) : 0;
        target[size_t(i)] = grid.from_hz * std::pow(grid.to_hz / grid.from_hz, share) / width;
    }
    // Nearest bins, pushed apart where the grid is finer than a bin.
    std::vector<int64_t> bins(static_cast<size_t>(m));
    for (int64_t i = 0; i < m; ++i) {
        int64_t b = std::clamp<int64_t>(std::llround(target[size_t(i)]), lo, hi);
        bins[size_t(i)] = i ? std::max(b, bins[size_t(i - 1)] + 1) : b;
    }
    for (int64_t i = m - 1; i >= 0; --i)
        bins[size_t(i)] = std::min(bins[size_t(i)], i + 1 < m ? bins[size_t(i + 1)] - 1 : hi);

    // Off the harmonics, within a quarter of the spacing to either neighbour.
    occupied taken(grid.block);
    for (int64_t i = 0; i < m; ++i) {
        double t = target[size_t(i)];
        double below = i ? t - target[size_t(i - 1)] : t - lo, above = i + 1 < m ? target[size_t(i + 1)] - t : hi - t;
        double reach = std::min(below, above) / 4;
        int64_t first = std::max<int64_t>({i ? bins[size_t(i - 1)] + 1 : lo, std::llround(std::ceil(t - reach))});
        int64_t last =
            std::min<int64_t>({i + 1 < m ? bins[size_t(i + 1)] - 1 : hi, std::llround(std::floor(t + reach))});
        std::vector<int64_t> candidates;
        for (int64_t c = first; c <= last; ++c) candidates.push_back(c);
        std::stable_sort(candidates.begin(), candidates.end(),
                         [t](int64_t a, int64_t b) { return std::abs(double(a) - t) < std::abs(double(b) - t); });
        for (int64_t c : candidates)
            if (!collides(c, taken, grid.block)) {
                bins[size_t(i)] = c;
                break;
            }
        take(bins[size_t(i)], taken, grid.block);
    }
    return bins;
}

int64_t harmonic_collisions(const std::vector<int64_t> &bins, int64_t block) {
    std::vector<bool> taken(static_cast<size_t>(block / 2 + 1));
    for (int64_t b : bins) taken[size_t(b)] = true;
    int64_t count = 0;
    for (int64_t b : bins)
        for (int64_t h : {2, 3}) count += taken[size_t(harmonic_bin(b, h, block))];
    return count;
}

std::vector<std::vector<int64_t>> deal_bins(const std::vector<int64_t> &bins, int channels) {
    std::vector<std::vector<int64_t>> dealt(static_cast<size_t>(channels));
    for (size_t i = 0; i < bins.size(); ++i) dealt[i % size_t(channels)].push_back(bins[i]);
    return dealt;
}
