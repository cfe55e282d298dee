#include "multitone_limits.h"

namespace {

double channel_value(const multitone_channel &c, const limit &l) {
    switch (l.which) {
    case figure::flatness: return flatness_db(c, l.low_hz, l.high_hz);
    case figure::tdn: return c.tdn_db;
    case figure::latency: return c.latency >= 0 ? static_cast<double>(c.latency) : not_measured;
    default: return not_measured;
    }
}

std::string channel_missing(const multitone_channel &c, const limit &l) {
    if (!c.why.empty()) return c.why;
    switch (l.which) {
    case figure::flatness: return no_flatness_why;
    case figure::tdn: return no_tdn_why;
    default: return c.latency_why;
    }
}

std::string pair_missing(const multitone_result &r, int input, int source) {
    if (r.crosstalk.empty()) return "the channels share tones";
    const multitone_channel &i = r.channels[static_cast<size_t>(input)], &j = r.channels[static_cast<size_t>(source)];
    if (!i.why.empty()) return i.why;
    if (!j.why.empty()) return j.why;
    return "no tone above the floor on its own input";
}

}  // namespace

void check_multitone_limits(const multitone_result &r, const std::vector<limit> &limits,
                            std::vector<limit_result> &results) {
    int channels = static_cast<int>(r.channels.size());
    for (int i = 0; i < channels; ++i) {
        const multitone_channel &c = r.channels[static_cast<size_t>(i)];
        for (const limit &l : limits) {
            if (l.which == figure::crosstalk) {
                for (int j = 0; j < channels; ++j) {
                    if (j == i || !r.channels[static_cast<size_t>(j)].stimulus) continue;
                    crosstalk_cell cell = r.crosstalk.empty() ? crosstalk_cell{} : r.crosstalk[i][j];
                    std::string missing = std::isnan(cell.db) ? pair_missing(r, i, j) : "";
                    results.push_back(
                        {i, &l, cell.db, limit_holds(l, cell.db, cell.below_floor), missing, j, cell.below_floor});
                }
            } else if (c.stimulus &&
                       (l.which == figure::flatness || l.which == figure::tdn || l.which == figure::latency)) {
                double v = channel_value(c, l);
                results.push_back({i, &l, v, limit_holds(l, v), std::isnan(v) ? channel_missing(c, l) : ""});
            }
        }
    }
    for (const limit &l : limits) {
        if (l.which != figure::gain_match && l.which != figure::phase_match) continue;
        double v = l.which == figure::gain_match ? r.gain_match_db : r.phase_match_deg;
        results.push_back({-1, &l, v, limit_holds(l, v), r.match_why});
    }
}
