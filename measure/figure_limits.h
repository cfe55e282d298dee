// Limits on figures: "thdn<=-80", "level=-6±0.5" (or "+-"), "latency<=48",
// "bitexact", "worst:thdn<=-70" for the worst window, "flatness[20:20000]<=0.5"
// for the tones of a band.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "figure_names.h"

struct limit {
    std::string text;  // as written
    figure which = figure::level;
    bool worst = false;
    enum class kind { at_most, at_least, within, holds } test = kind::holds;
    double value = 0, tolerance = 0;
    double low_hz = 0, high_hz = HUGE_VAL;  // the band of a flatness limit
};

// Throws measure_error naming the malformed limit or the unknown figure.
limit parse_limit(const std::string &text);
// One limit per line; blank lines and lines starting with # are skipped.
// The file must be a regular file of text (no NUL) of at most 1 MiB.
constexpr size_t longest_limits_file = 1 << 20;
std::string read_limits_text(const std::string &path);
std::vector<limit> read_limits_file(const std::string &path);

// An upper bound (a level below the floor) holds only an upper limit at or
// above it.
bool limit_holds(const limit &l, double measured, bool bound = false);

// Which channels a limit is about: with a driven channel, crosstalk limits
// are about the others and every other limit about the driven one alone.
bool limit_applies(const limit &l, int channel, std::optional<int> driven);

struct limit_result {
    int channel;  // -1: all channels at once
    const limit *checked;
    double measured;
    bool pass;
    std::string missing;  // why measured is NaN
    int source = -1;      // a crosstalk pair's stimulus channel
    bool bound = false;   // measured is an upper bound: below the floor
};
// With a multitone, the limits on what it measures are left to
// check_multitone_limits.
std::vector<limit_result> check_limits(const std::vector<channel_figures> &channels, const std::vector<limit> &limits,
                                       std::optional<int> driven, bool multitone = false);
