#include "report_junit.h"

#include <cctype>
#include <cmath>

#include "figure_names.h"
#include "measured_how.h"
#include "utf8_text.h"

namespace {

// An attribute value: markup escaped, tabs and line ends as references (an
// attribute would fold them into blanks), and what XML cannot hold (other
// control characters, bytes that are not UTF-8) as U+FFFD.
std::string escaped(const std::string &text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        char ch = text[at];
        size_t length = utf8_sequence_length(text, at);
        bool unallowed = length == 0 ||
                         (static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n' && ch != '\r') ||
                         text.compare(at, length, "\xEF\xBF\xBE") == 0 || text.compare(at, length, "\xEF\xBF\xBF") == 0;
        switch (unallowed ? '\0' : ch) {
        case '\0': out += "\xEF\xBF\xBD"; break;
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default: out.append(text, at, length);
        }
        at += length == 0 ? 1 : length;
    }
    return out;
}

}  // namespace

std::string format_junit(const measurement &m) {
    std::string counts =
        "tests=\"" + std::to_string(m.results.size()) + "\" failures=\"" + std::to_string(m.failures()) + "\"";
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"veskmeasure\" " + counts +
                       ">\n  <testsuite name=\"veskmeasure\" " + counts + ">\n    <properties>\n";
    for (auto [label, value] : measured_how(m)) {
        for (char &ch : label) ch = ch == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        text += "      <property name=\"" + label + "\" value=\"" + escaped(value) + "\"/>\n";
    }
    text += "    </properties>\n";
    for (const limit_result &r : m.results) {
        std::string measured = format_number(r.checked->which, r.measured);
        std::string unit = unit_of(r.checked->which, m.settings.noise_weighting);
        if (std::isfinite(r.measured) && !unit.empty()) measured += " " + unit;
        if (std::isnan(r.measured)) measured += " (" + r.missing + ")";
        if (r.bound) measured = "< " + measured;
        std::string name =
            escaped(r.checked->text + (r.source >= 0 ? " from channel " + std::to_string(r.source) : ""));
        std::string group = r.channel < 0 ? "all channels"
                                          : "channel " + std::to_string(r.channel) + " (" +
                                                m.channels[static_cast<size_t>(r.channel)].name + ")";
        text += "    <testcase classname=\"" + escaped(group) + "\" name=\"" + name + "\"";
        if (r.pass)
            text += "/>\n";
        else
            text += ">\n      <failure message=\"" + escaped("measured " + measured) + "\"/>\n    </testcase>\n";
    }
    return text + "  </testsuite>\n</testsuites>\n";
}
