#include "channel_analysis.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstring>

#include "fourier.h"

namespace {

constexpr int64_t longest_spectrum = 65536;
constexpr size_t waveform_samples = 4096;

// Length of the averaged spectra's windows: half the capture at most, so
// that the fundamental's phase can be followed across several of them.
int spectrum_length(int64_t samples) {
    return static_cast<int>(
        std::clamp<int64_t>(std::bit_floor(static_cast<uint64_t>(samples / 2)), 2, longest_spectrum));
}

double wrap_phase(double phase) { return phase - 2 * M_PI * std::nearbyint(phase / (2 * M_PI)); }

// Least-squares straight line through (t, y); the slope.
struct line_fit {
    double n = 0, t = 0, y = 0, tt = 0, ty = 0;
    void add(double at, double value) { n += 1, t += at, y += value, tt += at * at, ty += at * value; }
    double slope() const { return (n * ty - t * y) / (n * tt - t * t); }
};

// The long-window pass: the averaged spectrum, and the fundamental's
// frequency from its phase advancing from window to window, which is far
// finer than any one spectrum's bins.
void average_spectra(const capture_source &source, double rate, channel_figures &out) {
    int length = spectrum_length(source.samples);
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
    double unwrapped = 0, last_phase = 0, last_bin = 0;

    for (int64_t k = 0; k < count; ++k) {
        if (k == 0) {
            read_samples(source, 0, length, samples.data());
        } else {
            std::memmove(samples.data(), samples.data() + hop, static_cast<size_t>(length - hop) * 4);
            read_samples(source, k * hop + length - hop, hop, samples.data() + length - hop);
        }
        for (int n = 0; n < length; ++n)
            fft.input[n] = samples[static_cast<size_t>(n)] / full_scale * window[static_cast<size_t>(n)];
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

    out.spectrum.bin_hz = rate / length;
    double window_sum = 0;
    for (double w : window) window_sum += w;
    out.spectrum.bins_per_tone = length * window_power / (window_sum * window_sum);
    out.spectrum.bins.resize(sum.size());
    for (size_t m = 0; m < sum.size(); ++m)
        out.spectrum.bins[m] = sum[m] * 2.0 / (static_cast<double>(length) * window_power * count);
    double at = fundamental_bin(out.spectrum.bins);
    if (at < 0) return;
    double freq = at * out.spectrum.bin_hz;
    if (phase_line.n >= 2) {
        double followed = phase_line.slope() / (2 * M_PI) * rate;
        if (std::fabs(followed - freq) < out.spectrum.bin_hz) freq = followed;
    }
    out.whole.freq_hz = freq;
    std::vector<bin_role> roles =
        bin_roles(out.spectrum.bins.size(), out.spectrum.bin_hz, freq, rate, window_lobe_bins);
    fill_distortion_figures(measure_distortion(out.spectrum.bins, roles), out.whole);
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

// The windows pass: exact time-domain sums for the whole capture, and per
// window the fundamental fitted by least squares at the whole capture's
// frequency, whose residual's spectrum gives THD, THD+N and SNR with every
// sample weighing the same, so that a glitch at a window's edge counts.
void measure_windows(const capture_source &source, const analysis_settings &settings, channel_figures &out) {
    int length = static_cast<int>(settings.window);
    double freq = out.whole.freq_hz;
    bool fit = !std::isnan(freq);
    double omega = fit ? 2 * M_PI * freq / settings.rate : 0;
    std::vector<double> c(static_cast<size_t>(length)), s(c.size());
    double g[3][3] = {};
    for (int n = 0; n < length; ++n) {
        c[n] = std::cos(omega * n), s[n] = std::sin(omega * n);
        double r[3] = {c[n], s[n], 1.0};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) g[i][j] += r[i] * r[j];
    }
    // Inverse of the normal equations' matrix, the same for every window.
    double inv[3][3];
    double det = g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) - g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
                 g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
    fit = fit && std::fabs(det) > 1e-9;
    for (int i = 0; i < 3 && fit; ++i)
        for (int j = 0; j < 3; ++j) {
            int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
            inv[i][j] = (g[r0][c0] * g[r1][c1] - g[r0][c1] * g[r1][c0]) / det;
        }

    real_fft fft(length);
    double bin_hz = settings.rate / length;
    std::vector<bin_role> roles =
        bin_roles(static_cast<size_t>(length / 2 + 1), bin_hz, fit ? freq : 0, settings.rate, 1);
    std::vector<double> bins(roles.size());
    std::vector<int32_t> x(static_cast<size_t>(length));
    time_sums whole;
    double fitted_dc = 0;
    worst_windows &worst = out.worst;
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
        if (fit) {
            double p[3] = {0, 0, 0};
            for (int n = 0; n < length; ++n) {
                double v = x[n] / full_scale;
                p[0] += v * c[n], p[1] += v * s[n], p[2] += v;
            }
            double a[3];
            for (int i = 0; i < 3; ++i) a[i] = inv[i][0] * p[0] + inv[i][1] * p[1] + inv[i][2] * p[2];
            double residual = 0;
            for (int n = 0; n < length; ++n) {
                double r = x[n] / full_scale - (a[0] * c[n] + a[1] * s[n] + a[2]);
                fft.input[n] = r, residual += r * r;
            }
            fft.run();
            for (size_t m = 0; m < bins.size(); ++m)
                bins[m] = 2 * std::norm(fft.output[m]) / (static_cast<double>(length) * length);
            distortion d = measure_distortion(bins, roles);
            d.fundamental = (a[0] * a[0] + a[1] * a[1]) / 2;
            fill_distortion_figures(d, f);
            // A window rarely holds whole periods: its plain mean and RMS
            // would swing with the phase, the fitted parts do not.
            f.dc_percent = 100 * a[2];
            fitted_dc += a[2] * static_cast<double>(length - fresh);
            f.level_dbfs = dbfs_of_mean_square(d.fundamental + residual / length + a[2] * a[2]);
            // The frequency from the phase advance since the last window.
            double phase = std::atan2(-a[1], a[0]);
            f.freq_hz = freq;
            if (k > 0 && start > last_start) {
                double gap = static_cast<double>(start - last_start);
                double expected = std::fmod(static_cast<long double>(omega) * gap, 2 * M_PI);
                f.freq_hz += wrap_phase(phase - last_phase - expected) / (2 * M_PI * gap) * settings.rate;
            }
            last_phase = phase, last_start = start;
        }
        keep_worst(f.level_dbfs, worst.value.level_dbfs, worst.start.level_dbfs, start, false, k);
        keep_worst(f.peak_dbfs, worst.value.peak_dbfs, worst.start.peak_dbfs, start, true, k);
        keep_worst(std::fabs(f.dc_percent), worst.value.dc_percent, worst.start.dc_percent, start, true, k);
        if (fit) {
            double error = f.freq_hz - freq;
            double worst_error = worst.value.freq_hz - freq;
            if (k == 0 || std::fabs(error) > std::fabs(worst_error))
                worst.value.freq_hz = f.freq_hz, worst.start.freq_hz = static_cast<double>(start);
            keep_worst(f.thd_db, worst.value.thd_db, worst.start.thd_db, start, true, k);
            keep_worst(f.thdn_db, worst.value.thdn_db, worst.start.thdn_db, start, true, k);
            keep_worst(f.snr_db, worst.value.snr_db, worst.start.snr_db, start, false, k);
        }
    }
    worst.count = windows;
    whole.fill(out.whole);
    if (fit) out.whole.dc_percent = 100 * fitted_dc / static_cast<double>(source.samples);
}

}  // namespace

channel_figures analyse_channel(const capture_source &source, const analysis_settings &settings) {
    channel_figures out;
    out.name = source.name;
    out.samples = source.samples;
    average_spectra(source, settings.rate, out);
    measure_windows(source, settings, out);
    return out;
}
