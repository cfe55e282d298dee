#include "plot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "figure_names.h"
#include "fourier.h"
#include "measure_error.h"

namespace {

constexpr int spectrum_points = 1500;
constexpr double periods_shown = 4;

double plotted_dbfs(const power_spectrum &s, double power) {
    return std::max(-250.0, 10 * std::log10(std::max(1e-30, 2 * power * s.bins_per_tone)));
}

// The spectrum thinned to about spectrum_points log-spaced points, each the
// highest bin of its stretch so that no tone is lost.
std::string spectrum_block(const power_spectrum &s) {
    std::string text;
    size_t count = s.bins.size();
    double ratio = std::pow(static_cast<double>(count), 1.0 / spectrum_points);
    size_t m = 1;
    char line[64];
    while (m < count) {
        size_t end = std::max(m + 1, std::min(count, static_cast<size_t>(std::ceil(m * ratio))));
        size_t best = m;
        for (size_t i = m; i < end; ++i)
            if (s.bins[i] > s.bins[best]) best = i;
        std::snprintf(line, sizeof line, "%.3f %.2f\n", best * s.bin_hz, plotted_dbfs(s, s.bins[best]));
        text += line;
        m = end;
    }
    return text;
}

// The fundamental (F) and each harmonic that stands 10 dB over the floor
// beside it (the median bin a few lobes either side).
std::string marks_block(const power_spectrum &s, double freq, double rate) {
    std::string text;
    char line[96];
    auto last = static_cast<long>(s.bins.size()) - 1;
    for (int h = 1; h <= 10 && h * freq <= rate / 2; ++h) {
        long centre = std::lround(h * freq / s.bin_hz);
        double peak = 0;
        std::vector<double> beside;
        for (long i = std::max(0L, centre - 4 * window_lobe_bins); i <= std::min(last, centre + 4 * window_lobe_bins);
             ++i)
            if (std::labs(i - centre) <= 2)
                peak = std::max(peak, s.bins[static_cast<size_t>(i)]);
            else if (std::labs(i - centre) > window_lobe_bins)
                beside.push_back(s.bins[static_cast<size_t>(i)]);
        if (h > 1 && !(peak > 0.5 / (full_scale * full_scale))) continue;  // below one LSB
        if (h > 1 && !beside.empty()) {
            std::nth_element(beside.begin(), beside.begin() + static_cast<long>(beside.size() / 2), beside.end());
            if (!(peak > 10 * beside[beside.size() / 2])) continue;
        }
        std::snprintf(line, sizeof line, "%.3f %.2f \"%s\"\n", h * freq, plotted_dbfs(s, peak),
                      h == 1 ? "F" : std::to_string(h).c_str());
        text += line;
    }
    return text;
}

// The figures the panel shows beside the spectrum, for a double-quoted
// gnuplot string: numbers and fixed words only, lines apart by \\n.
std::string figures_label(const channel_figures &c, weighting w) {
    std::string text;
    for (figure which : {figure::level, figure::thd, figure::thdn, figure::noise}) {
        double v = figure_value(c, which, false);
        if (!text.empty()) text += "\\n";
        text += which == figure::thdn ? "THD+N" : which == figure::thd ? "THD" : info_of(which).name;
        text.append(" ").append(format_number(which, v));
        if (std::isfinite(v)) text.append(" ").append(unit_of(which, w));
    }
    return text;
}

std::string waveform_block(const channel_figures &c, double rate) {
    size_t count = c.waveform.size();
    if (std::isfinite(c.whole.freq_hz) && c.whole.freq_hz > 0)
        count = std::min(count, std::max<size_t>(32, static_cast<size_t>(periods_shown * rate / c.whole.freq_hz)));
    std::string text;
    char line[64];
    for (size_t n = 0; n < count; ++n) {
        std::snprintf(line, sizeof line, "%.4f %.6f\n", n * 1000.0 / rate, c.waveform[n] / full_scale);
        text += line;
    }
    return text;
}

}  // namespace

// A gnuplot string in single quotes, where nothing is substituted and a
// quote is written twice; only printable ASCII gets there (a line end would
// end the command), anything else reads '?'.
std::string gnuplot_quoted(const std::string &text) {
    std::string out = "'";
    for (char ch : text) out += ch == '\'' ? std::string("''") : std::string(1, ch >= ' ' && ch <= '~' ? ch : '?');
    return out + "'";
}

std::string find_gnuplot() {
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    size_t from = 0;
    for (;;) {
        size_t colon = dirs.find(':', from);
        std::string dir = dirs.substr(from, colon - from);
        std::string candidate = (dir.empty() ? "." : dir) + "/gnuplot";
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string::npos) return {};
        from = colon + 1;
    }
}

std::string plot_script(const measurement &m) {
    int channels = static_cast<int>(m.channels.size());
    double rate = m.settings.rate;
    std::string text;
    for (int c = 0; c < channels; ++c) {
        const channel_figures &ch = m.channels[static_cast<size_t>(c)];
        std::string n = std::to_string(c);
        text += "$spectrum" + n + " << EOD\n" + spectrum_block(ch.spectrum) + "EOD\n";
        text += "$marks" + n + " << EOD\n" +
                (std::isfinite(ch.whole.freq_hz) ? marks_block(ch.spectrum, ch.whole.freq_hz, rate) : "") + "EOD\n";
        text += "$waveform" + n + " << EOD\n" + waveform_block(ch, rate) + "EOD\n";
    }
    // The picture goes to standard output: no path of the user's is in the script.
    text += "set terminal pngcairo noenhanced size 1200," + std::to_string(320 * channels) + " font ',9'\n";
    text += "set output\nset grid\nset multiplot layout " + std::to_string(channels) + ",2\n";
    for (int c = 0; c < channels; ++c) {
        const channel_figures &ch = m.channels[static_cast<size_t>(c)];
        std::string n = std::to_string(c), title = ch.name + ", channel " + n;
        char line[160];
        std::snprintf(line, sizeof line, "set xrange [%.6g:%.6g]\n", ch.spectrum.bin_hz, rate / 2);
        text += "set title " + gnuplot_quoted(title + ": spectrum") + "\nset logscale x\n" + line;
        if (m.settings.plot_low_db < m.settings.plot_high_db)
            std::snprintf(line, sizeof line, "set yrange [%.6g:%.6g]\n", m.settings.plot_low_db,
                          m.settings.plot_high_db);
        else
            std::snprintf(line, sizeof line, "set yrange [*:10]\n");
        text += line;
        // The band of THD+N and SNR.
        for (double edge : {20.0, 20000.0})
            if (edge > ch.spectrum.bin_hz && edge < rate / 2) {
                std::snprintf(line, sizeof line,
                              "set arrow from %g, graph 0 to %g, graph 1 nohead dt 2 lc rgb '#808080'\n", edge, edge);
                text += line;
            }
        std::snprintf(line, sizeof line, "set ylabel 'Level (dBFS, per-bin spectrum, %.4g Hz bins)'\n",
                      ch.spectrum.bin_hz);
        text.append("set xlabel 'Frequency (Hz)'\n").append(line).append("set label 1 \"");
        text.append(figures_label(ch, m.settings.noise_weighting));
        text += "\" at graph 0.02, graph 0.94 front\n"
                "plot $spectrum" +
                n + " using 1:2 with lines lc rgb '#1f5fa8' notitle";
        if (std::isfinite(ch.whole.freq_hz))
            text += ", $marks" + n + " using 1:2:3 with labels offset 0,0.8 point pt 7 ps 0.5 lc rgb '#c03030' notitle";
        text += "\nunset logscale x\nunset arrow\nunset label 1\nset xrange [*:*]\nset yrange [*:*]\n";
        text += "set title " + gnuplot_quoted(title + ": waveform") +
                "\nset xlabel 'Time (ms)'\nset ylabel 'Sample (full scale)'\n"
                "plot $waveform" +
                n + " using 1:2 with lines lc rgb '#1f5fa8' notitle\n";
    }
    return text + "unset multiplot\n";
}

void run_gnuplot(const std::string &gnuplot, const std::string &script, const std::string &png) {
    int pipe_ends[2];
    int picture = open(png.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (picture < 0) throw measure_error("Cannot write the plot: " + std::string(std::strerror(errno)) + ".");
    if (pipe2(pipe_ends, O_CLOEXEC) != 0) close(picture), throw measure_error("Cannot start gnuplot.");
    pid_t child = fork();
    if (child < 0) {
        close(picture), close(pipe_ends[0]), close(pipe_ends[1]);
        throw measure_error("Cannot start gnuplot.");
    }
    if (child == 0) {
        int quiet = open("/dev/null", O_WRONLY);
        dup2(pipe_ends[0], 0);
        dup2(picture, 1);
        dup2(quiet, 2);
        execl(gnuplot.c_str(), "gnuplot", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipe_ends[0]);
    close(picture);
    size_t done = 0;
    while (done < script.size()) {
        ssize_t wrote = write(pipe_ends[1], script.data() + done, script.size() - done);
        if (wrote <= 0) break;
        done += static_cast<size_t>(wrote);
    }
    close(pipe_ends[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    struct stat info {};
    bool drawn = WIFEXITED(status) && WEXITSTATUS(status) == 0 && stat(png.c_str(), &info) == 0 && info.st_size > 0;
    if (!drawn || done < script.size()) throw measure_error("gnuplot could not draw the plot.");
}
