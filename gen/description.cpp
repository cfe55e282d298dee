#include "description.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

[[gnu::format(printf, 2, 3)]] void append(std::string &text, const char *format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    text += line;
}

// A file name is the user's text: quoted and escaped for JSON.
std::string json_string(const std::string &text) {
    std::string out = "\"";
    for (unsigned char ch : text) {
        if (ch == '"' || ch == '\\')
            out += '\\', out += char(ch);
        else if (ch < 0x20)
            append(out, "\\u%04x", ch);
        else
            out += char(ch);
    }
    return out + "\"";
}

double hz_of(int64_t bin, const gen_settings &s) { return double(bin) * s.rate / double(s.block); }

template <class T, class F>
std::string json_array(const std::vector<T> &items, F format) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + format(items[i]);
    return out + "]";
}

// A value that rounds to zero is written 0, never -0 (a phase a hair below zero).
std::string number(const char *format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    std::string out = text;
    if (out[0] == '-' && out.find_first_not_of("0.", 1) == std::string::npos) out.erase(0, 1);
    return out;
}

}  // namespace

std::string summary_lines(const gen_settings &s, const std::vector<channel_stimulus> &channels) {
    std::string text;
    for (size_t c = 0; c < channels.size(); ++c) {
        const channel_stimulus &ch = channels[c];
        text += s.files[c] + ": ";  // whole, however long
        if (ch.bins.size() == 1)
            append(text, "%.3f Hz at %.2f dBFS", hz_of(ch.bins[0], s), ch.tone_level_dbfs);
        else
            append(text, "%zu tones from %.3f Hz to %.3f Hz at %.2f dBFS each (%.2f dBFS in all)", ch.bins.size(),
                   hz_of(ch.bins.front(), s), hz_of(ch.bins.back(), s), ch.tone_level_dbfs, ch.total_level_dbfs);
        append(text, ", crest factor %.2f dB, %lld block%s of %lld samples at %.0f Hz\n", ch.crest_factor_db,
               static_cast<long long>(s.blocks), s.blocks == 1 ? "" : "s", static_cast<long long>(s.block), s.rate);
    }
    return text;
}

std::string description_json(const gen_settings &s, const std::vector<channel_stimulus> &channels) {
    std::string text;
    append(text, "{\n  \"rate\": %.0f,\n  \"block\": %lld,\n  \"blocks\": %lld,\n  \"channels\": [\n", s.rate,
           static_cast<long long>(s.block), static_cast<long long>(s.blocks));
    for (size_t c = 0; c < channels.size(); ++c) {
        const channel_stimulus &ch = channels[c];
        text += "    {\n      \"file\": " + json_string(s.files[c]) + ",\n";
        append(text, "      \"total_level_dbfs\": %.4f,\n      \"crest_factor_db\": %.4f,\n", ch.total_level_dbfs,
               ch.crest_factor_db);
        text += "      \"bins\": " + json_array(ch.bins, [](int64_t b) { return std::to_string(b); }) + ",\n";
        text +=
            "      \"freq_hz\": " + json_array(ch.bins, [&](int64_t b) { return number("%.6f", hz_of(b, s)); }) + ",\n";
        text += "      \"level_dbfs\": " +
                json_array(ch.bins, [&](int64_t) { return number("%.4f", ch.tone_level_dbfs); }) + ",\n";
        text += "      \"phase_deg\": " +
                json_array(ch.phases, [](double p) { return number("%.4f", std::remainder(p * 180 / M_PI, 360.0)); }) +
                "\n";
        text += c + 1 < channels.size() ? "    },\n" : "    }\n";
    }
    return text + "  ]\n}\n";
}
