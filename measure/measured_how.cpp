#include "measured_how.h"

#include <algorithm>
#include <cstdio>

#include "fourier.h"

#ifndef VESK_VERSION
#error "VESK_VERSION is the project's version, set by the build"
#endif

const char *tool_version() { return VESK_VERSION; }

namespace {

std::string spectrum_text(const power_spectrum &s) {
    char text[96];
    std::snprintf(text, sizeof text, "%lld samples, %.4g Hz bins", static_cast<long long>(s.length), s.bin_hz);
    return text;
}

// One text when every channel's spectrum is as long, else each channel's.
std::string spectra_text(const std::vector<channel_figures> &channels) {
    bool same = std::all_of(channels.begin(), channels.end(),
                            [&](const channel_figures &c) { return c.spectrum.length == channels[0].spectrum.length; });
    if (channels.empty() || same) return channels.empty() ? "none" : spectrum_text(channels[0].spectrum);
    std::string text;
    for (size_t c = 0; c < channels.size(); ++c)
        text += (c ? "; channel " : "channel ") + std::to_string(c) + ": " + spectrum_text(channels[c].spectrum);
    return text;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> measured_how(const measurement &m) {
    static const char *const weightings[] = {"none", "A (IEC 61672-1)", "ITU-R 468 (RMS)"};
    const measure_settings &s = m.settings;
    char line[160];
    std::snprintf(line, sizeof line, "%.0f Hz, window %lld samples", s.rate, static_cast<long long>(s.window));
    std::string rate = line;
    double top = band_top_hz(s.rate);
    if (top == 20000)
        std::snprintf(line, sizeof line, "20 Hz to 20 kHz");
    else
        std::snprintf(line, sizeof line, "20 Hz to %g Hz (Nyquist)", top);
    std::string band = line, references;
    for (const std::string &r : s.references) references += (references.empty() ? "" : ", ") + r;
    return {{"Version", std::string("veskmeasure ") + tool_version()},
            {"Rate", rate},
            {"Band", band},
            {"Spectrum", spectra_text(m.channels)},
            {s.references.size() > 1 ? "References" : "Reference", references.empty() ? "none" : references},
            {"Latency range", std::to_string(static_cast<long long>(s.latency_range)) + " samples either way"},
            {"Weighting", weightings[static_cast<int>(s.noise_weighting)]}};
}
