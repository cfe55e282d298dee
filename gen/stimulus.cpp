#include "stimulus.h"

#include <cmath>
#include <cstdio>

#include "gen_error.h"
#include "phases.h"
#include "tone_plan.h"

namespace {

constexpr double full_scale = 2147483648.0;
constexpr double largest_sample = 2147483647.0;

double power_db(double count) { return 10 * std::log10(count); }

// The level as given, or its default, with the option that set it.
struct asked_level {
    const char *option;
    double dbfs;
    bool of_all;
    bool given;
};

asked_level asked(const gen_settings &s) {
    if (s.tone_level_dbfs) return {"--level", *s.tone_level_dbfs, false, true};
    if (s.total_level_dbfs) return {"--total", *s.total_level_dbfs, true, true};
    if (s.kind == signal_kind::sine) return {"--level", -6, false, false};
    return {"--total", -12, true, false};
}

channel_stimulus render(const std::vector<int64_t> &bins, const gen_settings &s, int rendered) {
    channel_stimulus c;
    c.bins = bins;
    c.phases = bins.size() == 1 ? std::vector<double>{-M_PI / 2} : low_crest_phases(bins, s.block, rendered);
    std::vector<double> unit = tone_block(bins, c.phases, s.block);
    asked_level a = asked(s);
    double count_db = power_db(double(bins.size()));
    c.tone_level_dbfs = a.of_all ? a.dbfs - count_db : a.dbfs;
    c.total_level_dbfs = c.tone_level_dbfs + count_db;
    c.crest_factor_db = crest_factor_db(unit);
    double amplitude = std::pow(10, c.tone_level_dbfs / 20) * full_scale, peak = peak_of(unit);
    if (std::round(peak * amplitude) > largest_sample) {
        double fits = 20 * std::log10(largest_sample / full_scale / peak) + (a.of_all ? count_db : 0);
        char text[200];
        std::snprintf(text, sizeof text, "%s%s %g would clip: at most %.2f dBFS fits (crest factor %.2f dB).",
                      a.given ? "" : "The default ", a.option, a.dbfs, std::floor(fits * 100) / 100, c.crest_factor_db);
        throw gen_error(usage_status, text);
    }
    c.samples.resize(unit.size());
    for (size_t n = 0; n < unit.size(); ++n) c.samples[n] = int32_t(std::lround(unit[n] * amplitude));
    return c;
}

}  // namespace

int64_t tones_per_channel(const gen_settings &s) {
    if (s.kind == signal_kind::sine) return 1;
    if (s.tones) return s.tones;
    return int64_t(std::floor(s.per_octave * std::log2(s.to_hz / s.from_hz) + 1e-9)) + 1;
}

std::vector<channel_stimulus> make_stimulus(const gen_settings &s) {
    std::vector<std::vector<int64_t>> bins;
    if (s.kind == signal_kind::sine) {
        bins.push_back({nearest_bin(s.freq_hz, s.rate, s.block)});
    } else {
        int dealt = s.distinct ? s.channels : 1;
        tone_grid grid{s.rate, s.block, s.from_hz, s.to_hz, tones_per_channel(s) * dealt};
        bins = deal_bins(log_spaced_bins(grid), dealt);
    }
    std::vector<channel_stimulus> channels;
    for (const std::vector<int64_t> &b : bins) channels.push_back(render(b, s, int(bins.size())));
    while (channels.size() < size_t(s.channels)) channels.push_back(channels.front());
    return channels;
}
