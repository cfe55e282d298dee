#include "report_junit.h"

#include <cmath>

#include "figure_names.h"

namespace {

std::string escaped(const std::string &text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += ch;
        }
    }
    return out;
}

}  // namespace

std::string format_junit(const measurement &m) {
    std::string counts =
        "tests=\"" + std::to_string(m.results.size()) + "\" failures=\"" + std::to_string(m.failures()) + "\"";
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"veskmeasure\" " + counts +
                       ">\n  <testsuite name=\"veskmeasure\" " + counts + ">\n";
    for (const limit_result &r : m.results) {
        const figure_info &info = info_of(r.checked->which);
        std::string measured = format_number(r.checked->which, r.measured);
        if (std::isfinite(r.measured) && *info.unit) measured += std::string(" ") + info.unit;
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
