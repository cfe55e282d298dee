#include "report_table.h"

#include <cmath>
#include <cstdio>

#include "figure_names.h"
#include "measured_how.h"
#include "multitone_report.h"

namespace {

std::string with_unit(figure which, double value, const std::string &missing = {}, weighting w = weighting::none) {
    std::string text = format_number(which, value);
    if (std::isnan(value) && !missing.empty()) text += " (" + missing + ")";
    std::string unit = unit_of(which, w);
    if (std::isfinite(value) && !unit.empty()) text += " " + unit;
    if ((which == figure::thd || which == figure::thdn) && std::isfinite(value)) {
        char percent[32];
        std::snprintf(percent, sizeof percent, " (%.3g %%)", percent_of_db(value));
        text += percent;
    }
    return text;
}

// Left-aligned in a column of width bytes; a longer text is kept whole.
std::string padded(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string row(const char *name, const std::string &whole, const std::string &worst = {}) {
    std::string text = "  " + padded(name, 10) + " " + padded(whole, 26) + " " + worst;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text + "\n";
}

std::string channel_block(const measurement &m, int index) {
    const channel_figures &c = m.channels[static_cast<size_t>(index)];
    std::string text = "Channel " + std::to_string(index) + ": " + c.name + " (" + std::to_string(c.samples) +
                       " samples, " + std::to_string(c.worst.count) + " windows)\n";
    text += row("figure", "whole capture", "worst window");
    weighting w = m.settings.noise_weighting;
    for (figure which : {figure::level, figure::peak, figure::dc, figure::freq, figure::thd, figure::thdn, figure::snr,
                         figure::noise, figure::dr}) {
        double whole = figure_value(c, which, false), worst = figure_value(c, which, true);
        double start = signal_value(c.worst.start, which);
        std::string at =
            std::isnan(start) || std::isnan(worst) ? "" : " at sample " + std::to_string(static_cast<long long>(start));
        text += row(info_of(which).name, with_unit(which, whole, missing_reason(c, which, false), w),
                    info_of(which).has_worst ? with_unit(which, worst, missing_reason(c, which, true), w) + at : "");
    }
    if (c.reference.compared && !c.reference.missing.empty()) {
        text += row("latency", with_unit(figure::latency, not_measured, c.reference.missing));
        text += row("bitexact", with_unit(figure::bitexact, not_measured, c.reference.missing));
    } else if (c.reference.compared) {
        char line[160];
        std::snprintf(line, sizeof line, "%lld samples (%.3f ms)", static_cast<long long>(c.reference.latency),
                      c.reference.latency * 1000.0 / m.settings.rate);
        text += row("latency", line);
        if (c.reference.bit_exact)
            std::snprintf(line, sizeof line, "yes (%lld samples)",
                          static_cast<long long>(c.reference.compared_samples));
        else
            std::snprintf(line, sizeof line, "no (%lld of %lld samples differ, difference %.2f dBFS)",
                          static_cast<long long>(c.reference.differing_samples),
                          static_cast<long long>(c.reference.compared_samples), c.reference.difference_dbfs);
        text += row("bitexact", line);
    }
    if (m.settings.driven && *m.settings.driven != index && !m.multitone)  // a multitone's is in its matrix
        text += row("crosstalk", with_unit(figure::crosstalk, c.crosstalk_db, c.crosstalk_missing));
    return text;
}

}  // namespace

std::string format_table(const measurement &m) {
    std::string text;
    for (const auto &[label, value] : measured_how(m)) text += label + ": " + value + "\n";
    for (int c = 0; c < static_cast<int>(m.channels.size()); ++c) text += channel_block(m, c);
    if (m.multitone) text += multitone_table(*m.multitone, m.settings.rate);
    if (m.results.empty()) return text + "No limits given.\n";
    text += "Limits:\n";
    for (const limit_result &r : m.results) {
        std::string channel = r.channel < 0 ? "all" : std::to_string(r.channel);
        std::string what = r.checked->text + (r.source >= 0 ? " from " + std::to_string(r.source) : "");
        std::string measured =
            (r.bound ? "< " : "") + with_unit(r.checked->which, r.measured, r.missing, m.settings.noise_weighting);
        text += "  channel " + padded(channel, 3) + " " + padded(what, 24) + " " + padded(measured, 24) + " " +
                (r.pass ? "PASS" : "FAIL") + "\n";
    }
    char verdict[128];
    int count = static_cast<int>(m.results.size());
    if (m.pass())
        std::snprintf(verdict, sizeof verdict, "Verdict: PASS, %d of %d limits hold.\n", count, count);
    else
        std::snprintf(verdict, sizeof verdict, "Verdict: FAIL, %d of %d limits fail.\n", m.failures(), count);
    return text + verdict;
}
