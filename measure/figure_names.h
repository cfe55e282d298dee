// The figures by name, with the unit and the digits they are shown with in
// the table, the JSON and the JUnit report alike.
#pragma once

#include <optional>
#include <string>

#include "figures.h"
#include "weighting.h"

enum class figure {
    level,
    peak,
    dc,
    freq,
    thd,
    thdn,
    snr,
    noise,
    dr,
    latency,
    bitexact,
    crosstalk,
    flatness,
    tdn,
    gain_match,
    phase_match
};

struct figure_info {
    figure which;
    const char *name;
    const char *unit;  // empty for bitexact
    int decimals;
    bool has_worst;  // measured per window too
};

const figure_info &info_of(figure which);
// The unit, with the weighting's mark for the figures it applies to: "dB(A)".
std::string unit_of(figure which, weighting w);
std::optional<figure> figure_by_name(const std::string &name);
// Measured against a reference: latency, bitexact and the multitone figures.
bool needs_reference(figure which);
// Measured from a multitone reference; with any other reference, n/a.
bool from_multitone(figure which);
// A figure of signal_figures; NaN for the others.
double signal_value(const signal_figures &f, figure which);
// NaN when the channel has no such figure; bitexact is 1 or 0.
double figure_value(const channel_figures &channel, figure which, bool worst);
// Why figure_value is NaN: the one place that gives each figure's reason.
std::string missing_reason(const channel_figures &channel, figure which, bool worst);
// The value with its decimals ("-6.021"), "yes"/"no" for bitexact, "n/a"
// when not measured, "-inf"/"inf" for silence.
std::string format_number(figure which, double value);
