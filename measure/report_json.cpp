#include "report_json.h"

#include <cmath>
#include <cstdio>

#include "figure_names.h"
#include "fourier.h"
#include "measured_how.h"
#include "multitone_report.h"
#include "utf8_text.h"

// A byte that is not part of valid UTF-8 is written as the code point of
// its value (\u00XX), so that a name stays both valid JSON and recoverable.
std::string json_quoted(const std::string &text) {
    std::string out = "\"";
    for (size_t at = 0; at < text.size();) {
        auto ch = static_cast<unsigned char>(text[at]);
        size_t length = utf8_sequence_length(text, at);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20 || ch == 0x7F || length == 0) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", ch);
            out += escape;
        } else {
            out.append(text, at, length);
            at += length;
            continue;
        }
        ++at;
    }
    return out + "\"";
}

namespace {

// JSON has no NaN or infinity: a figure not measured is null (with its
// reason beside it), an infinity the string "inf" or "-inf".
std::string number(figure which, double value) {
    if (std::isinf(value)) return value > 0 ? "\"inf\"" : "\"-inf\"";
    return std::isnan(value) ? "null" : format_number(which, value);
}

std::string percent(double db) {
    if (std::isnan(db)) return "null";
    if (std::isinf(db)) return db > 0 ? "\"inf\"" : "0";
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", percent_of_db(db));
    return text;
}

// ", "key_reason": "why"' when the value is not measured.
std::string reason(const char *key, double value, const std::string &why) {
    return std::isnan(value) ? std::string(", \"") + key + "_reason\": " + json_quoted(why) : "";
}

std::string signal_figure(const channel_figures &c, figure which, weighting w) {
    const figure_info &info = info_of(which);
    double whole = figure_value(c, which, false), worst = figure_value(c, which, true);
    double start = signal_value(c.worst.start, which);
    std::string text = "        " + json_quoted(info.name) + ": {\"unit\": " + json_quoted(unit_of(which, w)) +
                       ", \"whole\": " + number(which, whole);
    text += reason("whole", whole, missing_reason(c, which, false));
    if (!info.has_worst) return text + "}";
    if (which == figure::thd || which == figure::thdn) text += ", \"whole_percent\": " + percent(whole);
    text += ", \"worst\": " + number(which, worst) + reason("worst", worst, missing_reason(c, which, true));
    if (which == figure::thd || which == figure::thdn) text += ", \"worst_percent\": " + percent(worst);
    text +=
        ", \"worst_at\": " +
        (std::isnan(start) || std::isnan(worst) ? std::string("null") : std::to_string(static_cast<long long>(start)));
    return text + "}";
}

std::string limit_object(const limit_result &r) {
    std::string measured = r.checked->which == figure::bitexact ? (std::isnan(r.measured) ? "null"
                                                                   : r.measured != 0      ? "true"
                                                                                          : "false")
                                                                : number(r.checked->which, r.measured);
    return "{\"limit\": " + json_quoted(r.checked->text) + ", \"worst\": " + (r.checked->worst ? "true" : "false") +
           (r.source >= 0 ? ", \"from\": " + std::to_string(r.source) : "") + ", \"measured\": " + measured +
           reason("measured", r.measured, r.missing) + (r.bound ? ", \"below_floor\": true" : "") +
           ", \"verdict\": \"" + (r.pass ? "PASS" : "FAIL") + "\"}";
}

std::string channel_object(const measurement &m, int index) {
    const channel_figures &c = m.channels[static_cast<size_t>(index)];
    std::string text = "    {\n      \"channel\": " + std::to_string(index) +
                       ",\n      \"files\": " + json_quoted(c.name) +
                       ",\n      \"samples\": " + std::to_string(c.samples) +
                       ",\n      \"windows\": " + std::to_string(c.worst.count) + ",\n      \"figures\": {\n";
    std::string separator;
    for (figure which : {figure::level, figure::peak, figure::dc, figure::freq, figure::thd, figure::thdn, figure::snr,
                         figure::noise, figure::dr}) {
        text += separator + signal_figure(c, which, m.settings.noise_weighting);
        separator = ",\n";
    }
    if (c.reference.compared && !c.reference.missing.empty()) {
        std::string why = json_quoted(c.reference.missing);
        text += ",\n        \"latency\": {\"unit\": \"samples\", \"whole\": null, \"whole_reason\": " + why +
                "},\n        \"bitexact\": {\"whole\": null, \"whole_reason\": " + why + "}";
    } else if (c.reference.compared) {
        char line[512];
        std::snprintf(line, sizeof line,
                      ",\n        \"latency\": {\"unit\": \"samples\", \"whole\": %lld, \"ms\": %.4f}"
                      ",\n        \"bitexact\": {\"whole\": %s, \"compared\": %lld, \"differing\": %lld, "
                      "\"difference_dbfs\": %s}",
                      static_cast<long long>(c.reference.latency), c.reference.latency * 1000.0 / m.settings.rate,
                      c.reference.bit_exact ? "true" : "false", static_cast<long long>(c.reference.compared_samples),
                      static_cast<long long>(c.reference.differing_samples),
                      number(figure::level, c.reference.difference_dbfs).c_str());
        text += line;
    }
    if (m.settings.driven && *m.settings.driven != index && !m.multitone)
        text += ",\n        \"crosstalk\": {\"unit\": \"dB\", \"whole\": " + number(figure::crosstalk, c.crosstalk_db) +
                reason("whole", c.crosstalk_db, c.crosstalk_missing) + "}";
    text += "\n      },\n      \"limits\": [";
    separator = "\n";
    for (const limit_result &r : m.results) {
        if (r.channel != index) continue;
        text += separator + "        " + limit_object(r);
        separator = ",\n";
    }
    text += separator == "\n" ? "]\n" : "\n      ]\n";
    return text + "    }";
}

// How it was measured; the spectra and references one per channel.
std::string settings_fields(const measurement &m) {
    char line[512];
    std::snprintf(
        line, sizeof line,
        "  \"tool\": \"veskmeasure\",\n  \"version\": %s,\n  \"rate_hz\": %.0f,\n  \"window_samples\": %lld,\n"
        "  \"band_hz\": [%g, %g],\n",
        json_quoted(tool_version()).c_str(), m.settings.rate, static_cast<long long>(m.settings.window), band_bottom_hz,
        band_top_hz(m.settings.rate));
    std::string text = line, samples, bins, references;
    for (const channel_figures &c : m.channels) {
        std::snprintf(line, sizeof line, "%s%.6g", bins.empty() ? "" : ", ", c.spectrum.bin_hz);
        bins += line;
        samples += (samples.empty() ? "" : ", ") + std::to_string(c.spectrum.length);
    }
    for (const std::string &r : m.settings.references) references += (references.empty() ? "" : ", ") + json_quoted(r);
    text += "  \"spectrum_samples\": [" + samples + "],\n  \"bin_hz\": [" + bins + "],\n  \"references\": [" +
            references + "],\n  \"latency_range_samples\": " + std::to_string(m.settings.latency_range) +
            ",\n  \"weighting\": \"" + weighting_name(m.settings.noise_weighting) + "\",\n";
    return text;
}

}  // namespace

std::string format_json(const measurement &m) {
    char tail[128];
    std::snprintf(tail, sizeof tail, "  \"verdict\": \"%s\",\n  \"limits_failed\": %d,\n  \"channels\": [\n",
                  m.pass() ? "PASS" : "FAIL", m.failures());
    std::string text = "{\n" + settings_fields(m) + tail;
    for (int c = 0; c < static_cast<int>(m.channels.size()); ++c)
        text += channel_object(m, c) + (c + 1 < static_cast<int>(m.channels.size()) ? ",\n" : "\n");
    if (!m.multitone) return text + "  ]\n}\n";
    // Limits on all channels at once (the channel match) stand beside them.
    text += "  ],\n  \"limits\": [";
    std::string separator = "\n";
    for (const limit_result &r : m.results)
        if (r.channel < 0) text += separator + "    " + limit_object(r), separator = ",\n";
    text += separator == "\n" ? "]" : "\n  ]";
    return text + ",\n  \"multitone\": " + multitone_json(*m.multitone, m.settings.rate) + "\n}\n";
}
