#include "multitone_plot.h"

#include <cmath>
#include <cstdio>

#include "plot.h"

namespace {

// One channel's tones as "freq value" lines; a tone with no value is left out.
std::string tone_block(const std::string &name, const multitone_channel &c, const std::vector<double> &values) {
    std::string text = name + " << EOD\n";
    char line[64];
    for (size_t t = 0; t < values.size(); ++t)
        if (std::isfinite(values[t]))
            std::snprintf(line, sizeof line, "%.4f %.4f\n", c.freq_hz[t], values[t]), text += line;
    return text + "EOD\n";
}

std::string curves(const multitone_result &r, const std::vector<std::string> &names, const char *kind) {
    std::string text, separator = "plot ";
    for (size_t c = 0; c < r.channels.size(); ++c) {
        if (r.channels[c].freq_hz.empty()) continue;
        text += separator + "$" + kind + std::to_string(c) + " using 1:2 with linespoints pt 7 ps 0.4 title " +
                gnuplot_quoted("channel " + std::to_string(c) + " (" + (c < names.size() ? names[c] : "") + ")");
        separator = ", ";
    }
    return text.empty() ? "" : text + "\n";
}

}  // namespace

std::string multitone_plot_script(const multitone_result &r, const std::vector<std::string> &names) {
    std::string text;
    double low = HUGE_VAL, high = 0;
    for (size_t c = 0; c < r.channels.size(); ++c) {
        const multitone_channel &ch = r.channels[c];
        if (ch.freq_hz.empty()) continue;
        low = std::min(low, ch.freq_hz.front()), high = std::max(high, ch.freq_hz.back());
        text += tone_block("$response" + std::to_string(c), ch, ch.response_db);
        text += tone_block("$phase" + std::to_string(c), ch, ch.phase_deg);
    }
    size_t n = r.crosstalk.size();
    if (n) {
        // Cells below the floor are drawn at the floor and marked "<".
        text += "$matrix << EOD\n";
        std::string marks = "$floor << EOD\n";
        char line[96];
        for (size_t i = 0; i < n; ++i)
            for (size_t j = 0; j < n; ++j) {
                const crosstalk_cell &cell = r.crosstalk[i][j];
                bool shown = i != j && std::isfinite(cell.db);
                std::snprintf(line, sizeof line, "%zu %zu %s\n", j, i, shown ? std::to_string(cell.db).c_str() : "NaN");
                text += line;
                if (shown && cell.below_floor) std::snprintf(line, sizeof line, "%zu %zu\n", j, i), marks += line;
            }
        text += "EOD\n" + marks + "EOD\n";
    }
    bool matrix = n > 0;
    int panels = (low < high ? 2 : 0) + (matrix ? 1 : 0);
    if (panels == 0) panels = 1;
    text += "set terminal pngcairo noenhanced size 1200," + std::to_string(380 * panels) + " font ',9'\n";
    text += "set output\nset grid\nset multiplot layout " + std::to_string(panels) + ",1\n";
    if (low < high) {
        char range[96];
        std::snprintf(range, sizeof range, "set xrange [%.6g:%.6g]\n", low / 1.2, high * 1.2);
        text += std::string("set logscale x\n") + range +
                "set key outside right top\nset xlabel 'Frequency (Hz)'\n"
                "set title 'Response'\nset ylabel 'Response (dB)'\n" +
                curves(r, names, "response") +
                "set title 'Phase'\nset ylabel 'Phase (degrees)'\nset yrange [-180:180]\nset ytics 45\n" +
                curves(r, names, "phase") + "unset logscale x\nset xrange [*:*]\nset yrange [*:*]\nset ytics auto\n";
    }
    if (matrix) {
        std::string last = std::to_string(n - 1);
        text += "unset key\nunset grid\nset title 'Crosstalk (dB); < below the floor, drawn at the floor'\n"
                "set xlabel 'Stimulus channel'\nset ylabel 'Input channel'\n"
                "set xrange [-0.5:" +
                last + ".5]\nset yrange [" + last +
                ".5:-0.5]\n"
                "set xtics 1\nset ytics 1\nset cblabel 'dB'\nset palette rgb 33,13,10\nset size ratio -1\n"
                "plot $matrix using 1:2:3 with image, $floor using 1:2:('<') with labels tc rgb 'white'\n";
    }
    return text + "unset multiplot\n";
}
