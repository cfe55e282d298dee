#include "figure_limits.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "measure_error.h"

namespace {

bool parse_number(const std::string &text, double &out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    char *end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(out);
}

}  // namespace

limit parse_limit(const std::string &text) {
    limit l;
    l.text = text;
    std::string rest = text;
    if (rest.rfind("worst:", 0) == 0) l.worst = true, rest.erase(0, 6);
    size_t op = rest.find_first_of("<>=");
    std::string name = rest.substr(0, op);
    size_t band = name.find('[');
    if (band != std::string::npos) {
        size_t colon = name.find(':', band), close = name.find(']', band);
        std::string low = colon < close ? name.substr(band + 1, colon - band - 1) : "";
        std::string high = colon < close ? name.substr(colon + 1, close - colon - 1) : "";
        if (name.substr(0, band) != "flatness" || close != name.size() - 1 || !parse_number(low, l.low_hz) ||
            !parse_number(high, l.high_hz) || l.low_hz < 0 || l.high_hz <= l.low_hz)
            throw measure_error("Malformed band in limit \"" + text + "\": flatness[LOW:HIGH] in Hz, LOW below HIGH.");
        name.erase(band);
    }
    std::optional<figure> which = figure_by_name(name);
    if (!which) throw measure_error("Unknown figure \"" + name + "\" in limit \"" + text + "\".");
    l.which = *which;
    auto malformed = [&] { return measure_error("Malformed limit \"" + text + "\"."); };
    if (l.worst && !info_of(l.which).has_worst)
        throw measure_error("Limit \"" + text + "\": " + name + " has no worst window.");
    if (l.which == figure::bitexact) {
        if (op != std::string::npos) throw malformed();
        return l;
    }
    if (op == std::string::npos) throw malformed();
    std::string bound;
    if (rest.compare(op, 2, "<=") == 0)
        l.test = limit::kind::at_most, bound = rest.substr(op + 2);
    else if (rest.compare(op, 2, ">=") == 0)
        l.test = limit::kind::at_least, bound = rest.substr(op + 2);
    else if (rest[op] == '=')
        l.test = limit::kind::within, bound = rest.substr(op + 1);
    else
        throw malformed();
    if (l.test == limit::kind::within) {
        size_t pm = bound.find("\xC2\xB1"), width = 2;
        if (pm == std::string::npos) pm = bound.find("+-");
        std::string tolerance = pm == std::string::npos ? "0" : bound.substr(pm + width);
        bound = bound.substr(0, pm);
        if (!parse_number(tolerance, l.tolerance) || l.tolerance < 0) throw malformed();
    }
    if (!parse_number(bound, l.value)) throw malformed();
    return l;
}

std::string read_limits_text(const std::string &path) {
    auto refuse = [&](const std::string &why) { return measure_error("Cannot read " + path + ": " + why + "."); };
    // Non-blocking, so that a FIFO is refused rather than waited on.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw refuse(std::strerror(errno));
    struct stat info {};
    std::string text;
    const char *why = nullptr;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        why = "not a regular file";
    else if (static_cast<size_t>(info.st_size) > longest_limits_file)
        why = "longer than 1 MiB";
    char chunk[4096];
    while (!why) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) why = std::strerror(errno);
        if (got <= 0) break;
        text.append(chunk, static_cast<size_t>(got));
        if (text.size() > longest_limits_file) why = "longer than 1 MiB";  // it grew while read
    }
    close(fd);
    if (!why && text.find('\0') != std::string::npos) why = "not text (it holds a NUL byte)";
    if (why) throw refuse(why);
    return text;
}

std::vector<limit> read_limits_file(const std::string &path) {
    std::istringstream in(read_limits_text(path));
    std::vector<limit> out;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        out.push_back(parse_limit(line.substr(first)));
    }
    return out;
}

bool limit_holds(const limit &l, double measured, bool bound) {
    if (std::isnan(measured)) return false;
    if (bound) return l.test == limit::kind::at_most && measured <= l.value;
    switch (l.test) {
    case limit::kind::at_most: return measured <= l.value;
    case limit::kind::at_least: return measured >= l.value;
    case limit::kind::within: return std::fabs(measured - l.value) <= l.tolerance;
    case limit::kind::holds: return measured != 0;
    }
    return false;
}

bool limit_applies(const limit &l, int channel, std::optional<int> driven) {
    if (!driven) return true;
    return (l.which == figure::crosstalk) != (channel == *driven);
}

std::vector<limit_result> check_limits(const std::vector<channel_figures> &channels, const std::vector<limit> &limits,
                                       std::optional<int> driven, bool multitone) {
    std::vector<limit_result> out;
    for (int c = 0; c < static_cast<int>(channels.size()); ++c)
        for (const limit &l : limits)
            if (limit_applies(l, c, driven) &&
                !(multitone &&
                  (from_multitone(l.which) || l.which == figure::crosstalk || l.which == figure::latency))) {
                const channel_figures &channel = channels[static_cast<size_t>(c)];
                double measured = figure_value(channel, l.which, l.worst);
                out.push_back({c, &l, measured, limit_holds(l, measured),
                               std::isnan(measured) ? missing_reason(channel, l.which, l.worst) : ""});
            }
    return out;
}
