#include "multitone_report.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "report_json.h"

namespace {

constexpr double all_band = std::numeric_limits<double>::infinity();

std::string fixed(double value, int decimals) {
    if (std::isnan(value)) return "n/a";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (out.find_first_not_of("-0.") == std::string::npos && out[0] == '-') out.erase(0, 1);
    return out;
}

// JSON has no NaN or infinity: n/a is null, and an infinity its string.
std::string json_number(double value, int decimals) {
    if (std::isnan(value)) return "null";
    if (std::isinf(value)) return value < 0 ? "\"-inf\"" : "\"inf\"";
    return fixed(value, decimals);
}

// A figure's own reason: none when it was measured or the channel's reason covers it.
std::string own_why(const multitone_channel &c, double value, const char *why) {
    return std::isnan(value) && c.why.empty() ? why : "";
}

std::string json_text(const std::string &text) { return text.empty() ? "null" : json_quoted(text); }

template <typename each>
std::string json_array(size_t count, each value) {
    std::string out = "[";
    for (size_t i = 0; i < count; ++i) out += (i ? ", " : "") + value(i);
    return out + "]";
}

std::string in_db(double value, int decimals, const char *why) {
    return std::isnan(value) ? "n/a (" + std::string(why) + ")" : fixed(value, decimals) + " dB";
}

std::string channel_head(const multitone_channel &c, size_t index) {
    char line[320];
    if (!c.why.empty()) {
        std::snprintf(line, sizeof line, "Channel %zu: n/a (%s)\n", index, c.why.c_str());
        return line;
    }
    std::snprintf(line, sizeof line, "Channel %zu: %lld blocks averaged from sample %lld", index,
                  static_cast<long long>(c.blocks), static_cast<long long>(c.first_sample));
    std::string text = line;
    if (!c.stimulus) return text + ", no stimulus of its own\n";
    text += ", latency " + (c.latency >= 0 ? std::to_string(c.latency) + " samples" : "n/a (" + c.latency_why + ")");
    if (!c.freq_hz.empty())
        text += ", tdn " + in_db(c.tdn_db, 2, no_tdn_why) + ", flatness " +
                in_db(flatness_db(c, 0, all_band), 3, no_flatness_why);
    return text + "\n";
}

std::string tone_rows(const multitone_channel &c) {
    if (c.freq_hz.empty()) return {};
    char line[160];
    std::snprintf(line, sizeof line, "  %12s %10s %14s %12s\n", "freq (Hz)", "gain (dB)", "response (dB)",
                  "phase (deg)");
    std::string text = line;
    for (size_t t = 0; t < c.freq_hz.size(); ++t) {
        std::snprintf(line, sizeof line, "  %12.3f %10s %14s %12s\n", c.freq_hz[t], fixed(c.gain_db[t], 3).c_str(),
                      fixed(c.response_db[t], 3).c_str(), fixed(c.phase_deg[t], 2).c_str());
        text += line;
    }
    return text;
}

std::string matrix_rows(const multitone_result &r) {
    size_t n = r.crosstalk.size();
    std::string text = "Crosstalk (dB): input by row, stimulus by column; < marks a pair below the floor\n      ";
    char cell[32];
    for (size_t j = 0; j < n; ++j) std::snprintf(cell, sizeof cell, " %9zu", j), text += cell;
    text += "\n";
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(cell, sizeof cell, "  %4zu", i);
        text += cell;
        for (size_t j = 0; j < n; ++j) {
            std::string v = i == j || !r.channels[j].stimulus ? "-" : crosstalk_text(r.crosstalk[i][j]);
            if (v.rfind("< ", 0) == 0) v.erase(1, 1);
            std::snprintf(cell, sizeof cell, " %9s", v.c_str());
            text += cell;
        }
        text += "\n";
    }
    return text;
}

}  // namespace

std::string crosstalk_text(const crosstalk_cell &cell) {
    return (cell.below_floor && !std::isnan(cell.db) ? "< " : "") + fixed(cell.db, 2);
}

std::string multitone_table(const multitone_result &r, double rate) {
    char head[160];
    std::snprintf(head, sizeof head, "Multitone: blocks of %lld samples (%.3f Hz per bin), %zu tones in all\n",
                  static_cast<long long>(r.block), rate / static_cast<double>(r.block), r.bins.size());
    std::string text = head;
    for (size_t c = 0; c < r.channels.size(); ++c) {
        const multitone_channel &ch = r.channels[c];
        text += channel_head(ch, c);
        if (!ch.freq_hz.empty()) {
            char line[96];
            std::snprintf(line, sizeof line, "  response relative to %.3f Hz\n", ch.response_at_hz);
            text += line + tone_rows(ch);
        }
    }
    // Channels on tones of their own have a crosstalk matrix instead.
    if (r.crosstalk.empty() && (!std::isnan(r.gain_match_db) || !r.match_why.empty()))
        text += "Channel match: gain " +
                (r.match_why.empty() ? fixed(r.gain_match_db, 3) + " dB, phase " + fixed(r.phase_match_deg, 2) + " deg"
                                     : "n/a, phase n/a (" + r.match_why + ")") +
                "\n";
    if (!r.crosstalk.empty()) text += matrix_rows(r);
    return text;
}

std::string multitone_json(const multitone_result &r, double rate) {
    std::string text = "{\n    \"block_samples\": " + std::to_string(r.block) +
                       ",\n    \"bin_hz\": " + json_number(rate / static_cast<double>(r.block), 6) +
                       ",\n    \"tones\": " + std::to_string(r.bins.size()) + ",\n    \"channels\": [";
    for (size_t c = 0; c < r.channels.size(); ++c) {
        const multitone_channel &ch = r.channels[c];
        size_t tones = ch.freq_hz.size();
        double flatness = flatness_db(ch, 0, all_band);
        text +=
            std::string(c ? "," : "") + "\n      {\"channel\": " + std::to_string(c) +
            ", \"reason\": " + json_text(ch.why) + ", \"blocks\": " + std::to_string(ch.blocks) +
            ", \"first_sample\": " + std::to_string(ch.first_sample) +
            ", \"latency\": " + (ch.latency >= 0 ? std::to_string(ch.latency) : "null") +
            ", \"latency_reason\": " + json_text(ch.latency_why) + ", \"tdn_db\": " + json_number(ch.tdn_db, 2) +
            ", \"tdn_reason\": " + json_text(own_why(ch, ch.tdn_db, no_tdn_why)) +
            ", \"flatness_db\": " + json_number(flatness, 3) +
            ", \"flatness_reason\": " + json_text(own_why(ch, flatness, no_flatness_why)) +
            ", \"response_relative_to_hz\": " + (tones ? json_number(ch.response_at_hz, 3) : "null") +
            ",\n       \"freq_hz\": " + json_array(tones, [&](size_t t) { return json_number(ch.freq_hz[t], 3); }) +
            ",\n       \"gain_db\": " + json_array(tones, [&](size_t t) { return json_number(ch.gain_db[t], 3); }) +
            ",\n       \"response_db\": " +
            json_array(tones, [&](size_t t) { return json_number(ch.response_db[t], 3); }) +
            ",\n       \"phase_deg\": " + json_array(tones, [&](size_t t) { return json_number(ch.phase_deg[t], 2); }) +
            "}";
    }
    text += "\n    ],\n    \"gain_match_db\": " + json_number(r.gain_match_db, 3) +
            ",\n    \"phase_match_deg\": " + json_number(r.phase_match_deg, 2) +
            ",\n    \"match_reason\": " + json_text(r.match_why);
    size_t n = r.crosstalk.size();
    auto rows = [&](auto cell) {
        return json_array(n, [&](size_t i) { return json_array(n, [&](size_t j) { return cell(i, j); }); });
    };
    text += ",\n    \"crosstalk_db\": " + (n ? rows([&](size_t i, size_t j) {
                return i == j ? std::string("null") : json_number(r.crosstalk[i][j].db, 2);
            })
                                             : "null");
    text += ",\n    \"crosstalk_below_floor\": " +
            (n ? rows([&](size_t i, size_t j) { return std::string(r.crosstalk[i][j].below_floor ? "true" : "false"); })
               : "null");
    return text + "\n  }";
}
