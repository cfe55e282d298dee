#include "crosstalk.h"

#include <cmath>

#include "fourier.h"

void measure_crosstalk(std::vector<channel_figures> &channels, int driven) {
    const channel_figures &source = channels[static_cast<size_t>(driven)];
    double freq = source.whole.freq_hz;
    if (std::isnan(freq)) return;
    double own = tone_power(source.spectrum.bins, freq / source.spectrum.bin_hz, window_lobe_bins);
    for (int c = 0; c < static_cast<int>(channels.size()); ++c) {
        channel_figures &other = channels[static_cast<size_t>(c)];
        if (c == driven || !(own > 0)) continue;
        double heard = tone_power(other.spectrum.bins, freq / other.spectrum.bin_hz, window_lobe_bins);
        other.crosstalk_db = db_of_ratio(heard / own);
    }
}
