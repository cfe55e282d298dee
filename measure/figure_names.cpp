#include "figure_names.h"

#include <cmath>
#include <cstdio>

namespace {

const figure_info table[] = {
    {figure::level, "level", "dBFS", 3, true},
    {figure::peak, "peak", "dBFS", 3, true},
    {figure::dc, "dc", "%", 4, true},
    {figure::freq, "freq", "Hz", 4, true},
    {figure::thd, "thd", "dB", 2, true},
    {figure::thdn, "thdn", "dB", 2, true},
    {figure::snr, "snr", "dB", 2, true},
    {figure::noise, "noise", "dBFS", 2, true},
    {figure::dr, "dr", "dB", 2, false},
    {figure::latency, "latency", "samples", 0, false},
    {figure::bitexact, "bitexact", "", 0, false},
    {figure::crosstalk, "crosstalk", "dB", 2, false},
    {figure::flatness, "flatness", "dB", 3, false},
    {figure::tdn, "tdn", "dB", 2, false},
    {figure::gain_match, "gain-match", "dB", 3, false},
    {figure::phase_match, "phase-match", "deg", 2, false},
};

}  // namespace

const figure_info &info_of(figure which) { return table[static_cast<int>(which)]; }

std::string unit_of(figure which, weighting w) {
    bool weighted = which == figure::thdn || which == figure::snr || which == figure::noise || which == figure::dr;
    return std::string(info_of(which).unit) + (weighted ? weighting_mark(w) : "");
}

double signal_value(const signal_figures &f, figure which) {
    switch (which) {
    case figure::level: return f.level_dbfs;
    case figure::peak: return f.peak_dbfs;
    case figure::dc: return f.dc_percent;
    case figure::freq: return f.freq_hz;
    case figure::thd: return f.thd_db;
    case figure::thdn: return f.thdn_db;
    case figure::snr: return f.snr_db;
    case figure::noise: return f.noise_dbfs;
    case figure::dr: return f.dr_db;
    default: return not_measured;
    }
}

std::optional<figure> figure_by_name(const std::string &name) {
    for (const figure_info &i : table)
        if (name == i.name) return i.which;
    return std::nullopt;
}

bool needs_reference(figure which) {
    return which == figure::latency || which == figure::bitexact || from_multitone(which);
}

bool from_multitone(figure which) {
    return which == figure::flatness || which == figure::tdn || which == figure::gain_match ||
           which == figure::phase_match;
}

double figure_value(const channel_figures &channel, figure which, bool worst) {
    switch (which) {
    case figure::latency:
        return channel.reference.compared && channel.reference.missing.empty()
                   ? static_cast<double>(channel.reference.latency)
                   : not_measured;
    case figure::bitexact:
        return channel.reference.compared && channel.reference.missing.empty()
                   ? (channel.reference.bit_exact ? 1.0 : 0.0)
                   : not_measured;
    case figure::crosstalk: return channel.crosstalk_db;
    default: return signal_value(worst ? channel.worst.value : channel.whole, which);
    }
}

std::string missing_reason(const channel_figures &channel, figure which, bool worst) {
    std::string why;
    switch (which) {
    case figure::latency:
    case figure::bitexact: why = channel.reference.compared ? channel.reference.missing : "no reference"; break;
    case figure::crosstalk: why = channel.crosstalk_missing; break;
    case figure::dr: why = worst ? "whole capture only" : channel.whole.dr_missing; break;
    default: why = (worst ? channel.worst.value : channel.whole).tone_missing;
    }
    return why.empty() ? "not measured" : why;
}

std::string format_number(figure which, double value) {
    if (std::isnan(value)) return "n/a";
    if (which == figure::bitexact) return value != 0 ? "yes" : "no";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", info_of(which).decimals, value);
    std::string out = text;
    if (out.find_first_not_of("-0.") == std::string::npos && out[0] == '-') out.erase(0, 1);  // no "-0.0000"
    return out;
}
