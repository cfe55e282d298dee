#include "crosstalk.h"

#include <cmath>

#include "fourier.h"

namespace {

// The core of a tone's lobe: a tone further off than the window's main lobe
// half-width leaves nothing here.
constexpr int own_bins = 2;

}  // namespace

void measure_crosstalk(std::vector<channel_figures> &channels, int driven) {
    const channel_figures &source = channels[static_cast<size_t>(driven)];
    double freq = source.whole.freq_hz;
    double own = std::isnan(freq) ? 0 : tone_power(source.spectrum.bins, freq / source.spectrum.bin_hz, own_bins);
    for (int c = 0; c < static_cast<int>(channels.size()); ++c) {
        channel_figures &other = channels[static_cast<size_t>(c)];
        if (c == driven) continue;
        if (!(own > 0)) {
            other.crosstalk_missing = "no tone on the driven channel";
            continue;
        }
        double heard = tone_power(other.spectrum.bins, freq / other.spectrum.bin_hz, own_bins);
        other.crosstalk_db = db_of_ratio(heard / own);
    }
}
