#include "channel_analysis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <complex>
#include <cstring>
#include <optional>

#include "band_noise.h"
#include "fourier.h"
#include "tone_fit.h"

namespace {

constexpr size_t waveform_samples = 4096;
constexpr double window_periods = 2;  // a window's least-squares fit needs this many periods

// The longest spectrum: 65536 samples, or enough to hold a 20 Hz tone's
// periods at high rates.
int64_t longest_spectrum(double rate) {
    auto needed = static_cast<uint64_t>(std::ceil(tone_periods * rate / 20));
    return static_cast<int64_t>(std::clamp<uint64_t>(std::bit_ceil(needed), 65536, 1 << 22));
}

// Length of the averaged spectra's windows: half the capture at most, so
// that the fundamental's phase can be followed across several of them.
int64_t spectrum_length(int64_t samples, double rate) {
    return std::clamp<int64_t>(static_cast<int64_t>(std::bit_floor(static_cast<uint64_t>(samples / 2))), 2,
                               longest_spectrum(rate));
}

double wrap_phase(double phase) { return phase - 2 * M_PI * std::nearbyint(phase / (2 * M_PI)); }

// Least-squares straight line through (t, y); the slope.
struct line_fit {
    double n = 0, t = 0, y = 0, tt = 0, ty = 0;
    void add(double at, double value) { n += 1, t += at, y += value, tt += at * at, ty += at * value; }
    double slope() const { return (n * ty - t * y) / (n * tt - t * t); }
};

struct spectra_pass {
    tone_search tone;
    double followed_hz = not_measured;  // from the phase across windows
};

// The long-window pass: the averaged spectrum, and the fundamental's
// frequency from its phase advancing from window to window, which is far
// finer than any one spectrum's bins.
spectra_pass average_spectra(const capture_source &source, double rate, int64_t length64, channel_figures &out) {
    int length = static_cast<int>(length64);
    int hop = std::max(1, length / 2);
    int64_t count = (source.samples - length) / hop + 1;
    real_fft fft(length);
    std::vector<double> window = blackman_harris_7(length);
    double window_power = 0;
    for (double w : window) window_power += w * w;
    std::vector<double> sum(static_cast<size_t>(length / 2 + 1), 0.0);
    std::vector<int32_t> samples(static_cast<size_t>(length));
    double centre = (length - 1) / 2.0;
    line_fit phase_line;
    double unwrapped = 0, last_phase = 0, last_bin = 0, ac_power = 0, mean_square = 0;

    for (int64_t k = 0; k < count; ++k) {
        if (k == 0) {
            read_samples(source, 0, length, samples.data());
        } else {
            std::memmove(samples.data(), samples.data() + hop, static_cast<size_t>(length - hop) * 4);
            read_samples(source, k * hop + length - hop, hop, samples.data() + length - hop);
        }
        double mean = 0, squares = 0;
        for (int n = 0; n < length; ++n) {
            double v = samples[static_cast<size_t>(n)] / full_scale;
            mean += v, squares += v * v;
            fft.input[n] = v * window[static_cast<size_t>(n)];
        }
        mean /= length;
        // About the mean directly: DC alone then leaves exactly nothing.
        double ac = 0;
        for (int n = 0; n < length; ++n) ac += std::pow(samples[static_cast<size_t>(n)] / full_scale - mean, 2);
        ac_power += ac / length / static_cast<double>(count);
        mean_square += squares / length / static_cast<double>(count);
        fft.run();
        std::vector<double> bins(sum.size());
        for (size_t m = 0; m < sum.size(); ++m) {
            bins[m] = std::norm(fft.output[m]);
            sum[m] += bins[m];
        }
        double at = fundamental_bin(bins);
        if (at < 0) continue;
        // The phase at the window's centre: the symmetric window adds none.
        long peak = std::lround(at);
        double phase = std::arg(fft.output[peak] * std::polar(1.0, M_PI * peak * 2 * centre / length));
        if (phase_line.n == 0) {
            unwrapped = phase;
        } else {
            double advance = M_PI * (at + last_bin) / length * hop;
            unwrapped += advance + wrap_phase(phase - last_phase - advance);
        }
        phase_line.add(static_cast<double>(k) * hop, unwrapped);
        last_phase = phase, last_bin = at;
    }

    out.spectrum.length = length;
    out.spectrum.bin_hz = rate / length;
    double window_sum = 0;
    for (double w : window) window_sum += w;
    out.spectrum.bins_per_tone = length * window_power / (window_sum * window_sum);
    out.spectrum.bins.resize(sum.size());
    for (size_t m = 0; m < sum.size(); ++m) {
        bool own_mirror = m == 0 || 2 * m == static_cast<size_t>(length);  // DC and Nyquist are not folded
        out.spectrum.bins[m] = sum[m] * (own_mirror ? 1.0 : 2.0) / (static_cast<double>(length) * window_power * count);
    }
    spectra_pass pass;
    pass.tone = find_tone(out.spectrum.bins, ac_power, mean_square);
    if (phase_line.n >= 2) pass.followed_hz = phase_line.slope() / (2 * M_PI) * rate;
    return pass;
}

// One spectrum gives the frequency to a fraction of its bin. Over a short
// capture (too short to follow the phase across windows) the frequency
// whose least-squares sine holds the most power, searched within half a bin
// either way, is far finer.
double refine_frequency(const capture_source &source, double rate, double freq, double bin_hz) {
    std::vector<int32_t> x(static_cast<size_t>(source.samples));
    read_samples(source, 0, source.samples, x.data());
    // What a fit of DC, cosine and sine at f explains: p' G^-1 p.
    auto fitted_power = [&](double f) {
        using row = std::array<double, 3>;
        std::array<row, 3> g{}, cof;
        row p{};
        std::complex<double> turn = std::polar(1.0, 2 * M_PI * f / rate), z = 1;
        for (size_t n = 0; n < x.size(); ++n, z *= turn) {
            double v = x[n] / full_scale;
            const row r = {z.real(), z.imag(), 1.0};
            for (int i = 0; i < 3; ++i) {
                p[i] += v * r[i];
                for (int j = i; j < 3; ++j) g[i][j] += r[i] * r[j];
            }
        }
        g[1][0] = g[0][1], g[2][0] = g[0][2], g[2][1] = g[1][2];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                int r0 = (i + 1) % 3, r1 = (i + 2) % 3, c0 = (j + 1) % 3, c1 = (j + 2) % 3;
                cof[i][j] = g[r0][c0] * g[r1][c1] - g[r0][c1] * g[r1][c0];
            }
        double det = g[0][0] * cof[0][0] + g[0][1] * cof[0][1] + g[0][2] * cof[0][2], sum = 0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) sum += p[i] * cof[i][j] * p[j];
        return det > 0 ? sum / det : 0;
    };
    double low = freq - bin_hz / 2, high = freq + bin_hz / 2;
    const double golden = (std::sqrt(5.0) - 1) / 2;
    double a = high - golden * (high - low), b = low + golden * (high - low);
    double pa = fitted_power(a), pb = fitted_power(b);
    for (int i = 0; i < 40; ++i) {
        if (pa > pb)
            high = b, b = a, pb = pa, a = high - golden * (high - low), pa = fitted_power(a);
        else
            low = a, a = b, pa = pb, b = low + golden * (high - low), pb = fitted_power(b);
    }
    return (low + high) / 2;
}

// The whole capture's fundamental, distortion and noise from the averaged
// spectra; a spectrum too short for a low tone is tried again as long as the
// capture allows.
void measure_spectrum(const capture_source &source, const analysis_settings &settings, channel_figures &out) {
    double rate = settings.rate;
    int64_t length = spectrum_length(source.samples, rate);
    spectra_pass pass = average_spectra(source, rate, length, out);
    int64_t longest = std::min(source.samples, longest_spectrum(rate));
    if (pass.tone.too_low && length < longest) pass = average_spectra(source, rate, longest, out);
    const power_spectrum &s = out.spectrum;
    if (pass.tone.at < 0) {
        out.whole.tone_missing = out.whole.dr_missing = pass.tone.missing;
        // Without a tone the whole band is noise: the idle channel's.
        if (!pass.tone.too_low)
            out.whole.noise_dbfs =
                dbfs_of_mean_square(idle_noise(s.bins, s.bin_hz, rate, window_lobe_bins, settings.noise_weighting));
        return;
    }
    double freq = pass.tone.at * s.bin_hz;
    if (std::fabs(pass.followed_hz - freq) < s.bin_hz)
        freq = pass.followed_hz;
    else if (source.samples < 2 * static_cast<int64_t>(s.bins.size() - 1) * 2)
        freq = refine_frequency(source, rate, freq, s.bin_hz);
    out.whole.freq_hz = freq;
    std::vector<bin_role> roles = bin_roles(s.bins.size(), s.bin_hz, freq, rate, window_lobe_bins);
    distortion d = weighted_distortion(s.bins, roles, s.bin_hz, rate, freq, settings.noise_weighting);
    fill_distortion_figures(d, out.whole);
    out.whole.noise_dbfs = dbfs_of_mean_square(band_noise(d));
    double fundamental_dbfs = dbfs_of_mean_square(d.fundamental);
    out.whole.dr_db = dynamic_range_db(fundamental_dbfs, out.whole.noise_dbfs);
    if (std::isnan(out.whole.dr_db)) {
        char why[96];
        std::snprintf(why, sizeof why, "tone at %.1f dBFS, not within -70 to -50 dBFS", fundamental_dbfs);
        out.whole.dr_missing = why;
    }
}

struct time_sums {
    double sum = 0, squares = 0;
    int64_t peak = 0, count = 0;
    void add(const int32_t *x, int64_t n) {
        double s = 0, q = 0;
        for (int64_t i = 0; i < n; ++i) {
            double v = x[i];
            s += v, q += v * v;
            peak = std::max(peak, std::abs(static_cast<int64_t>(x[i])));
        }
        sum += s, squares += q, count += n;
    }
    void fill(signal_figures &f) const {
        double scale = full_scale * full_scale;
        f.level_dbfs = dbfs_of_mean_square(squares / count / scale);
        f.peak_dbfs = 20 * std::log10(peak / full_scale);
        f.dc_percent = 100 * sum / count / full_scale;
    }
};

// Keeps v when it is worse than the worst so far.
void keep_worst(double v, double &worst, double &start, int64_t at, bool higher_is_worse, int64_t seen) {
    if (seen == 0 || (higher_is_worse ? v > worst : v < worst)) worst = v, start = static_cast<double>(at);
}

// Mean square of a window's residual spectrum weighted by gains, scaled for
// the degrees of freedom the fit took; total the unweighted whole.
double residual_noise(const real_fft &fft, const std::vector<double> &gains, int kept_terms, double *total = nullptr) {
    int length = fft.size;
    double noise = 0, sum = 0;
    for (int m = 1; m <= length / 2; ++m) {
        double p = (2 * m == length ? 1.0 : 2.0) * std::norm(fft.output[m]) / (static_cast<double>(length) * length);
        sum += p;
        noise += p * gains[static_cast<size_t>(m)];
    }
    double freedom = static_cast<double>(length) / (length - kept_terms);
    if (total) *total = sum * freedom;
    return noise * freedom;
}

// One window's distortion from its fit: the residual's spectrum is all noise,
// its in-band part scaled for the degrees of freedom the fit took; gains
// weight it and the harmonics in the band for the noise figures.
void fill_window_distortion(const tone_fit &fit, const fitted_window &w, real_fft &fft, double freq,
                            const std::vector<double> &gains, weighting weighted, signal_figures &f) {
    fft.run();
    int length = fit.length;
    double total = 0;
    distortion d;
    d.fundamental = w.power[0];
    d.noise = residual_noise(fft, gains, fit.kept_terms, &total);
    for (size_t h = 1; h < w.power.size(); ++h) {
        double at = static_cast<double>(h + 1) * freq;
        d.harmonics += w.power[h];
        if (at >= 20 && at <= 20000) d.harmonics_in_band += w.power[h] * weighting_power_gain(weighted, at);
    }
    fill_distortion_figures(d, f);
    f.noise_dbfs = dbfs_of_mean_square(band_noise(d));
    // A fundamental not 20 dB over one bin of the noise is not there.
    if (!(d.fundamental > 100 * total / (length / 2))) f.freq_hz = not_measured;
}

// The windows pass: exact time-domain sums for the whole capture, and per
// window its own sums (level, peak, DC) and a least-squares fit at the whole
// capture's frequency, whose residual gives THD, THD+N and SNR with every
// sample weighing the same, so that a glitch at a window's edge counts.
void measure_windows(const capture_source &source, const analysis_settings &settings, channel_figures &out) {
    int length = static_cast<int>(settings.window);
    double freq = out.whole.freq_hz;
    worst_windows &worst = out.worst;
    bool tone = !std::isnan(freq);
    worst.value.tone_missing = out.whole.tone_missing;
    if (tone && length < window_periods * settings.rate / freq) {
        tone = false;
        worst.value.tone_missing =
            "window too short for the tone: " +
            std::to_string(static_cast<long long>(std::ceil(window_periods * settings.rate / freq))) +
            " samples needed for 2 periods";
    }
    // Without a fit a window's DC is its mean, which is DC only when there is no tone at all.
    bool dc_by_mean = out.whole.tone_missing == silence || out.whole.tone_missing == no_tone;
    std::optional<tone_fit> fit;
    if (tone) fit.emplace(length, freq, settings.rate);
    // A capture without a tone has its idle noise in every window too.
    bool idle = std::isnan(freq) && !std::isnan(out.whole.noise_dbfs);
    std::vector<double> gains = band_gains(static_cast<size_t>(length / 2 + 1), settings.rate / length, settings.rate,
                                           settings.noise_weighting);
    double omega = 2 * M_PI * freq / settings.rate;
    real_fft fft(length);
    std::vector<int32_t> x(static_cast<size_t>(length));
    std::vector<double> scaled(x.size());
    time_sums whole;
    double last_phase = 0;
    int64_t last_start = 0;
    int64_t full = source.samples / length;
    int64_t windows = full + (source.samples % length ? 1 : 0);

    for (int64_t k = 0; k < windows; ++k) {
        int64_t start = k < full ? k * length : source.samples - length;
        read_samples(source, start, length, x.data());
        int64_t fresh = k < full ? 0 : full * length - start;  // already counted in the whole
        whole.add(x.data() + fresh, length - fresh);
        if (out.waveform.size() < waveform_samples)
            out.waveform.insert(out.waveform.end(), x.begin(),
                                x.begin() + std::min<int64_t>(length, waveform_samples - out.waveform.size()));

        signal_figures f;
        time_sums own;
        own.add(x.data(), length);
        own.fill(f);
        if (tone) {
            for (int n = 0; n < length; ++n) scaled[static_cast<size_t>(n)] = x[static_cast<size_t>(n)] / full_scale;
            fitted_window w = fit_window(*fit, scaled.data(), fft.input);
            // A window rarely holds whole periods: its plain mean swings with
            // the phase, the fitted DC does not.
            f.dc_percent = 100 * w.dc;
            f.freq_hz = freq;
            fill_window_distortion(*fit, w, fft, freq, gains, settings.noise_weighting, f);
            // The frequency from the phase advance since the last window.
            if (k > 0 && start > last_start && !std::isnan(f.freq_hz)) {
                double gap = static_cast<double>(start - last_start);
                double expected = std::fmod(static_cast<long double>(omega) * gap, 2 * M_PI);
                f.freq_hz += wrap_phase(w.phase - last_phase - expected) / (2 * M_PI * gap) * settings.rate;
            }
            last_phase = w.phase, last_start = start;
        } else if (idle) {
            double mean = static_cast<double>(own.sum) / length / full_scale;
            for (int n = 0; n < length; ++n) fft.input[n] = x[static_cast<size_t>(n)] / full_scale - mean;
            fft.run();
            f.noise_dbfs = dbfs_of_mean_square(residual_noise(fft, gains, 1));
        }
        keep_worst(f.level_dbfs, worst.value.level_dbfs, worst.start.level_dbfs, start, false, k);
        keep_worst(f.peak_dbfs, worst.value.peak_dbfs, worst.start.peak_dbfs, start, true, k);
        if (!tone && !dc_by_mean) f.dc_percent = not_measured;
        if (k == 0 || std::fabs(f.dc_percent) > std::fabs(worst.value.dc_percent))
            worst.value.dc_percent = f.dc_percent, worst.start.dc_percent = static_cast<double>(start);
        if (tone) {
            // A window without the tone is as far off as a frequency gets.
            bool lost = std::isnan(f.freq_hz);
            bool worse = k == 0 || (lost && !std::isnan(worst.value.freq_hz)) ||
                         (!lost && std::fabs(f.freq_hz - freq) > std::fabs(worst.value.freq_hz - freq));
            if (worse) {
                worst.value.freq_hz = f.freq_hz, worst.start.freq_hz = static_cast<double>(start);
                if (lost) worst.value.tone_missing = "no tone in the window at sample " + std::to_string(start);
            }
            keep_worst(f.thd_db, worst.value.thd_db, worst.start.thd_db, start, true, k);
            keep_worst(f.thdn_db, worst.value.thdn_db, worst.start.thdn_db, start, true, k);
            keep_worst(f.snr_db, worst.value.snr_db, worst.start.snr_db, start, false, k);
        }
        if (tone || idle) keep_worst(f.noise_dbfs, worst.value.noise_dbfs, worst.start.noise_dbfs, start, true, k);
    }
    worst.count = windows;
    whole.fill(out.whole);
}

}  // namespace

channel_figures analyse_channel(const capture_source &source, const analysis_settings &settings) {
    channel_figures out;
    out.name = source.name;
    out.samples = source.samples;
    measure_spectrum(source, settings, out);
    measure_windows(source, settings, out);
    return out;
}
