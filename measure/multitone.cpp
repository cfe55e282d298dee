#include "multitone.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "fourier.h"

namespace {

constexpr double tone_range = 1e-8;     // tones lie within 80 dB of the strongest
constexpr double rest_below = 1e-9;     // the typical bin lies 90 dB below it
constexpr double tone_spread = 1e-4;    // and no tone 40 dB below it
constexpr double above_floor = 100;     // a tone reads when 20 dB above the floor around it
constexpr int floor_bins = 32;          // either side of a tone, for its floor
constexpr double ambiguous_peak = 0.9;  // a second correlation peak this high: no latency

using spectrum = std::vector<std::complex<double>>;

int highest_bin(int64_t block) { return static_cast<int>((block - 1) / 2); }  // below Nyquist

double power_db(double ratio) { return ratio > 0 ? 10 * std::log10(ratio) : -HUGE_VAL; }

double wrap_degrees(double d) {
    d = std::remainder(d, 360.0);
    return d == -180 ? 180 : d;
}

void transform(real_fft &fft, const double *x, spectrum &out) {
    for (int n = 0; n < fft.size; ++n) fft.input[n] = x[n] / full_scale;
    fft.run();
    out.assign(fft.output, fft.output + fft.size / 2 + 1);
}

// The channel's whole blocks, block after block from first on.
template <typename each_block>
int64_t for_each_block(const multitone_input &in, int64_t block, int64_t first, std::vector<int32_t> &samples,
                       each_block visit) {
    int64_t count = first >= 0 && in.samples > first ? (in.samples - first) / block : 0;
    samples.resize(static_cast<size_t>(block));
    for (int64_t k = 0; k < count; ++k) {
        in.read(first + k * block, block, samples.data());
        if (!visit(k, samples.data())) return k;
    }
    return count;
}

// Where the stimulus sits in one channel's capture.
struct lock {
    bool found = false, ambiguous = false;
    std::string why;
    int64_t period = 0;      // of the reference's tones, a block or a whole fraction of one
    int64_t offset = 0;      // where the capture lines up with the reference, below one period
    int64_t first_full = 0;  // the first period from offset on that holds the stimulus throughout
    int64_t use_from = 0;    // first sample averaged
};

// The mean power at the bins that are no one's tone, within floor_bins of
// each bin (for a tone's floor).
struct floor_map {
    std::vector<double> sum;  // prefix sums over free bins
    std::vector<int> count;
    floor_map(const spectrum &y, const std::vector<bool> &taken) : sum(y.size() + 1, 0.0), count(y.size() + 1, 0) {
        for (size_t m = 0; m < y.size(); ++m) {
            bool free = m > 0 && static_cast<int>(m) < static_cast<int>(y.size()) - 1 && !taken[m];
            sum[m + 1] = sum[m] + (free ? std::norm(y[m]) : 0.0);
            count[m + 1] = count[m] + (free ? 1 : 0);
        }
    }
    double around(int bin) const {
        int last = static_cast<int>(count.size()) - 1;
        int from = std::max(0, bin - floor_bins), to = std::min(last, bin + floor_bins + 1);
        int n = count[static_cast<size_t>(to)] - count[static_cast<size_t>(from)];
        if (n < 4) from = 0, to = last, n = count.back();
        return n > 0 ? (sum[static_cast<size_t>(to)] - sum[static_cast<size_t>(from)]) / n : 0.0;
    }
};

// The reference's lag in the capture folded onto one block, by circular
// cross-correlation at the reference's tones. Tones on bins with a common
// factor g repeat every block / g samples, and so does the lag: it is
// sought within that period. It is ambiguous when a second peak away from
// the first comes near it (a tone set whose correlation nearly repeats).
lock find_lock(const multitone_input &in, const multitone_reference &ref, const std::vector<bool> &taken,
               std::vector<int32_t> &samples) {
    lock out;
    int64_t block = ref.block;
    int common = 0;
    for (int b : ref.bins) common = std::gcd(common, b);
    int64_t period = block / common;
    out.period = period;
    std::vector<double> fold(static_cast<size_t>(block), 0.0);
    int64_t blocks = for_each_block(in, block, 0, samples, [&](int64_t, const int32_t *x) {
        for (int64_t m = 0; m < block; ++m) fold[static_cast<size_t>(m)] += x[m];
        return true;
    });
    if (blocks == 0) {
        out.why = "shorter than one block of the reference";
        return out;
    }
    real_fft fft(static_cast<int>(block));
    spectrum a;
    transform(fft, fold.data(), a);
    double tones = 0;
    for (int b : ref.bins) tones += std::norm(a[static_cast<size_t>(b)]);
    floor_map floor(a, taken);
    double noise = 0;
    for (int b : ref.bins) noise += floor.around(b);
    if (!(tones > above_floor * noise)) {
        out.why = tones > 0 ? "no stimulus found" : "silence";
        return out;
    }

    std::vector<std::complex<double>> cross(static_cast<size_t>(block / 2 + 1), 0.0);
    for (size_t t = 0; t < ref.bins.size(); ++t) {
        auto b = static_cast<size_t>(ref.bins[t]);
        cross[b] = a[b] * std::conj(ref.spectrum[t]);
    }
    std::vector<double> correlation(static_cast<size_t>(block));
    fftw_plan inverse = fftw_plan_dft_c2r_1d(static_cast<int>(block), reinterpret_cast<fftw_complex *>(cross.data()),
                                             correlation.data(), FFTW_ESTIMATE);
    fftw_execute(inverse);
    fftw_destroy_plan(inverse);
    // An inverting device gives a negative peak; but when the tones are on
    // odd multiples of a bin, half a period later is the same signal
    // inverted, and a peak of either sign as high as the other means no
    // inversion.
    auto value = [&](int64_t lag) { return correlation[static_cast<size_t>((lag % block + block) % block)]; };
    int64_t high = 0, low = 0;
    for (int64_t lag = 1; lag < period; ++lag) {
        if (value(lag) > value(high)) high = lag;
        if (value(lag) < value(low)) low = lag;
    }
    double sign = -value(low) * ambiguous_peak > value(high) ? -1 : 1;
    auto at = [&](int64_t lag) { return sign * value(lag); };
    int64_t peak = sign > 0 ? high : low;
    // The peak's own lobe runs down to the first minimum either side.
    int64_t right = peak, left = peak;
    while (right - peak < period / 2 && at(right + 1) <= at(right)) ++right;
    while (peak - left < period / 2 && at(left - 1) <= at(left)) --left;
    double second = 0;
    for (int64_t lag = right + 1; lag < left + period; ++lag) second = std::max(second, at(lag));
    out.found = true;
    out.offset = peak;
    out.ambiguous = second >= ambiguous_peak * at(peak);

    // The first period at that offset that holds the stimulus throughout:
    // the capture may open with the device's latency in silence.
    std::vector<double> shape(static_cast<size_t>(period));
    double shape_norm = 0;
    for (int64_t m = 0; m < period; ++m) {
        shape[static_cast<size_t>(m)] = fold[static_cast<size_t>((m + peak) % block)];
        shape_norm += shape[static_cast<size_t>(m)] * shape[static_cast<size_t>(m)];
    }
    auto likeness = [&](const int32_t *x) {
        double dot = 0, own = 0;
        for (int64_t m = 0; m < period; ++m) dot += x[m] * shape[static_cast<size_t>(m)], own += double(x[m]) * x[m];
        return own > 0 ? dot / std::sqrt(own * shape_norm) : 0.0;
    };
    double best = 0;
    int64_t count = for_each_block(in, period, peak, samples, [&](int64_t, const int32_t *x) {
        best = std::max(best, likeness(x));
        return true;
    });
    out.first_full = for_each_block(in, period, peak, samples,
                                    [&](int64_t, const int32_t *x) { return !(likeness(x) >= 0.8 * best); });
    // One block for the device to settle, when two or more remain after it.
    int64_t settle = count - out.first_full >= 3 * common ? common : 0;
    out.use_from = peak + (out.first_full + settle) * period;
    return out;
}

// The coherent average of whole blocks from first on, and the mean power
// per bin of the blocks one by one (which keeps the noise the averaging
// removes).
struct averaged {
    int64_t blocks = 0;
    spectrum mean;
    std::vector<double> power;
};

averaged average_blocks(const multitone_input &in, int64_t block, int64_t first, std::vector<int32_t> &samples) {
    averaged out;
    real_fft fft(static_cast<int>(block));
    std::vector<double> sum(static_cast<size_t>(block), 0.0), x(sum.size());
    out.power.assign(static_cast<size_t>(block / 2 + 1), 0.0);
    spectrum one;
    out.blocks = for_each_block(in, block, first, samples, [&](int64_t, const int32_t *s) {
        for (int64_t m = 0; m < block; ++m) sum[static_cast<size_t>(m)] += s[m], x[static_cast<size_t>(m)] = s[m];
        transform(fft, x.data(), one);
        for (size_t m = 0; m < one.size(); ++m) out.power[m] += std::norm(one[m]);
        return true;
    });
    if (out.blocks == 0) return out;
    for (double &v : sum) v /= static_cast<double>(out.blocks);
    for (double &p : out.power) p /= static_cast<double>(out.blocks);
    transform(fft, sum.data(), out.mean);
    return out;
}

// Distortion and noise: the power of the free bins from the lowest tone to
// the highest, scaled to every bin of that span so the noise under the
// tones counts too, against the power of the tones.
double tdn_of(const averaged &avg, const multitone_reference &ref, const std::vector<bool> &taken) {
    int from = ref.bins.front(), to = ref.bins.back();
    double noise = 0, tones = 0;
    int free = 0;
    for (int m = from; m <= to; ++m)
        if (!taken[static_cast<size_t>(m)]) noise += avg.power[static_cast<size_t>(m)], ++free;
    for (int b : ref.bins) tones += std::norm(avg.mean[static_cast<size_t>(b)]);
    if (free == 0 || !(tones > 0)) return not_measured;
    return power_db(noise * (to - from + 1) / free / tones);
}

void own_figures(multitone_channel &c, const multitone_reference &ref, const lock &at, const std::vector<int> &bins,
                 double rate) {
    size_t count = ref.bins.size();
    c.freq_hz.resize(count), c.gain_db.resize(count), c.response_db.resize(count), c.phase_deg.resize(count);
    size_t nearest = 0;
    for (size_t t = 0; t < count; ++t) {
        int bin = ref.bins[t];
        size_t u = static_cast<size_t>(std::lower_bound(bins.begin(), bins.end(), bin) - bins.begin());
        c.freq_hz[t] = bin * rate / static_cast<double>(ref.block);
        std::complex<double> h = c.at_bins[u] / ref.spectrum[t];
        bool heard = std::norm(c.at_bins[u]) >= above_floor * c.floor_at_bins[u] && std::norm(c.at_bins[u]) > 0;
        c.gain_db[t] = heard ? 20 * std::log10(std::abs(h)) : not_measured;
        c.phase_deg[t] = heard && !at.ambiguous ? wrap_degrees(std::arg(h) * 180 / M_PI) : not_measured;
        if (std::fabs(c.freq_hz[t] - 1000) < std::fabs(c.freq_hz[nearest] - 1000)) nearest = t;
    }
    c.response_at_hz = c.freq_hz[nearest];
    for (size_t t = 0; t < count; ++t) c.response_db[t] = c.gain_db[t] - c.gain_db[nearest];
}

// Gain and phase of every pair of channels at the tones they share; the
// phase with each channel's latency put back, so a whole sample between
// channels counts.
void match_channels(multitone_result &r, const std::vector<const multitone_reference *> &refs) {
    bool compared = false, missing = false;
    double gain = 0, phase = 0;
    for (size_t i = 0; i < refs.size(); ++i)
        for (size_t j = i + 1; j < refs.size(); ++j) {
            if (!refs[i] || !refs[j]) continue;
            const multitone_reference &a = *refs[i], &b = *refs[j];
            const multitone_channel &ca = r.channels[i], &cb = r.channels[j];
            for (size_t s = 0, t = 0; s < a.bins.size() && t < b.bins.size();) {
                if (a.bins[s] != b.bins[t]) {
                    (a.bins[s] < b.bins[t] ? s : t)++;
                    continue;
                }
                compared = true;
                if (!ca.why.empty() || !cb.why.empty()) {
                    missing = true;
                    break;
                }
                double turn = 360.0 * a.bins[s] / static_cast<double>(a.block);
                double dg = std::fabs(ca.gain_db[s] - cb.gain_db[t]);
                double dp = std::fabs(wrap_degrees(ca.phase_deg[s] - turn * static_cast<double>(ca.latency) -
                                                   cb.phase_deg[t] + turn * static_cast<double>(cb.latency)));
                if (std::isnan(dg) || std::isnan(dp)) missing = true;
                gain = std::max(gain, dg), phase = std::max(phase, dp);
                ++s, ++t;
            }
        }
    if (!compared)
        r.match_why = "no tone common to two channels";
    else if (missing)
        r.match_why = "a channel without that tone or latency";
    else
        r.gain_match_db = gain, r.phase_match_deg = phase;
}

// Worst over j's tones of their level on input i against j's own input;
// where a tone is lost in i's floor, the floor is what can be said.
crosstalk_cell crosstalk_between(const multitone_channel &input, const multitone_channel &source,
                                 const multitone_reference &ref, const std::vector<int> &bins) {
    crosstalk_cell cell;
    if (!input.why.empty() || !source.why.empty()) return cell;
    for (int bin : ref.bins) {
        size_t u = static_cast<size_t>(std::lower_bound(bins.begin(), bins.end(), bin) - bins.begin());
        double own = std::norm(source.at_bins[u]);
        if (!(own >= above_floor * source.floor_at_bins[u]) || !(own > 0)) continue;
        double heard = std::norm(input.at_bins[u]), limit = above_floor * input.floor_at_bins[u];
        bool lost = heard < limit;
        double db = power_db((lost ? limit : heard) / own);
        if (std::isnan(cell.db) || db > cell.db) cell.db = db, cell.below_floor = lost;
    }
    return cell;
}

}  // namespace

multitone_reference find_tones(const std::vector<int32_t> &block) {
    multitone_reference out;
    out.block = static_cast<int64_t>(block.size());
    int last = highest_bin(out.block);
    if (last < 8) return out;
    real_fft fft(static_cast<int>(block.size()));
    std::vector<double> x(block.begin(), block.end());
    spectrum s;
    transform(fft, x.data(), s);
    std::vector<double> power(static_cast<size_t>(last));
    for (int k = 1; k <= last; ++k) power[static_cast<size_t>(k - 1)] = std::norm(s[static_cast<size_t>(k)]);
    double strongest = *std::max_element(power.begin(), power.end());
    if (!(strongest > 0)) return out;
    for (int k = 1; k <= last; ++k)
        if (power[static_cast<size_t>(k - 1)] > tone_range * strongest) out.bins.push_back(k);
    // Tones on most bins are a pattern, not a multitone; so are tones on
    // most bins of a shorter period when the bins have a common factor (a
    // longer reference of a pattern repeated), and a sine's harmonics.
    int common = 0;
    double weakest = strongest;
    for (int b : out.bins) common = std::gcd(common, b), weakest = std::min(weakest, power[static_cast<size_t>(b - 1)]);
    std::nth_element(power.begin(), power.begin() + last / 2, power.end());
    if (out.bins.size() < 2 || out.bins.size() > static_cast<size_t>(last / common / 2) ||
        weakest < tone_spread * strongest || power[static_cast<size_t>(last / 2)] > rest_below * strongest) {
        out.bins.clear();
        return out;
    }
    for (int b : out.bins) out.spectrum.push_back(s[static_cast<size_t>(b)]);
    return out;
}

multitone_result measure_multitone(const std::vector<multitone_input> &inputs, double rate) {
    multitone_result r;
    int64_t block = 0;
    size_t own_tones = 0;
    std::vector<const multitone_reference *> refs;  // null for a channel that only listens
    for (const multitone_input &in : inputs) {
        refs.push_back(in.reference && !in.reference->bins.empty() ? in.reference : nullptr);
        if (!refs.back()) continue;
        block = in.reference->block;
        r.bins.insert(r.bins.end(), in.reference->bins.begin(), in.reference->bins.end());
        own_tones += in.reference->bins.size();
    }
    std::sort(r.bins.begin(), r.bins.end());
    r.bins.erase(std::unique(r.bins.begin(), r.bins.end()), r.bins.end());
    r.channels.resize(inputs.size());
    r.block = block;
    if (block == 0) return r;
    std::vector<bool> taken(static_cast<size_t>(block / 2 + 1), false);
    for (int b : r.bins) taken[static_cast<size_t>(b)] = true;

    std::vector<int32_t> samples;
    std::vector<lock> locks(inputs.size());
    int64_t latest = -1;  // where every stimulus has settled, for the channels that only listen
    for (size_t c = 0; c < inputs.size(); ++c)
        if (refs[c]) {
            locks[c] = find_lock(inputs[c], *refs[c], taken, samples);
            if (locks[c].found) latest = std::max(latest, locks[c].use_from);
        }
    for (size_t c = 0; c < inputs.size(); ++c) {
        multitone_channel &out = r.channels[c];
        const lock &at = locks[c];
        const multitone_reference *ref = refs[c];
        out.stimulus = ref != nullptr;
        if (ref && !at.found) {
            out.why = out.latency_why = at.why;
            continue;
        }
        if (!ref && latest < 0) {
            out.why = "no stimulus found on any channel";
            continue;
        }
        out.first_sample = ref ? at.use_from : latest;
        averaged avg = average_blocks(inputs[c], block, out.first_sample, samples);
        out.blocks = avg.blocks;
        if (avg.blocks == 0) {
            out.why = "no whole block after the latency";
            continue;
        }
        floor_map floor(avg.mean, taken);
        for (int b : r.bins) {
            out.at_bins.push_back(avg.mean[static_cast<size_t>(b)]);
            out.floor_at_bins.push_back(floor.around(b));
        }
        if (!ref) continue;
        if (at.ambiguous)
            out.latency_why = "ambiguous: the correlation has a second peak as high";
        else
            out.latency = at.offset + at.first_full * at.period;
        own_figures(out, *ref, at, r.bins, rate);
        out.tdn_db = tdn_of(avg, *ref, taken);
    }

    match_channels(r, refs);
    if (r.bins.size() == own_tones) {
        r.crosstalk.assign(inputs.size(), std::vector<crosstalk_cell>(inputs.size()));
        for (size_t i = 0; i < inputs.size(); ++i)
            for (size_t j = 0; j < inputs.size(); ++j)
                if (i != j && refs[j])
                    r.crosstalk[i][j] = crosstalk_between(r.channels[i], r.channels[j], *refs[j], r.bins);
    }
    return r;
}

double flatness_db(const multitone_channel &channel, double low_hz, double high_hz) {
    double worst = -1;
    for (size_t t = 0; t < channel.freq_hz.size(); ++t)
        if (channel.freq_hz[t] >= low_hz && channel.freq_hz[t] <= high_hz) {
            if (std::isnan(channel.response_db[t])) return not_measured;
            worst = std::max(worst, std::fabs(channel.response_db[t]));
        }
    return worst < 0 ? not_measured : worst;
}
