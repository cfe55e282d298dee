// How a measurement was made, for every result file to carry: the tool's
// version, the rate and window, the band, the spectra, the references, the
// latency range and the weighting.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "measurement.h"

// The project's version, as the manual gives it: "2018.03.30".
const char *tool_version();
// Each setting as a label and its text ("Band", "20 Hz to 20 kHz"), in the
// order the table's header and the JUnit properties give them.
std::vector<std::pair<std::string, std::string>> measured_how(const measurement &m);
