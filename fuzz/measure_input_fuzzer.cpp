// veskmeasure's readers of user input. The first byte chooses what the rest
// is: 0 a limit as given with --limit, 1 a limits file, anything else a
// capture file, which is then measured (48 kHz, 16-sample windows). Each
// reader gives a sound result or refuses the bytes with measure_error.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "channel_analysis.h"
#include "figure_limits.h"
#include "fuzz_check.h"
#include "measure_error.h"

namespace {

void check_limit(const limit &l) {
    require(!l.worst || info_of(l.which).has_worst, "worst only where there are windows");
    require(std::isfinite(l.value) && std::isfinite(l.tolerance) && l.tolerance >= 0, "finite bounds");
    require((l.which == figure::bitexact) == (l.test == limit::kind::holds), "bitexact alone holds or not");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0 || size > 65536) return 0;
    std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    static const std::string file = "/tmp/veskmeasure-fuzz-" + std::to_string(getpid());
    [[maybe_unused]] static const int removed_at_exit = std::atexit([] { unlink(file.c_str()); });
    if (data[0] != 0) std::ofstream(file, std::ios::binary | std::ios::trunc) << rest;
    try {
        if (data[0] == 0) {
            check_limit(parse_limit(rest));
        } else if (data[0] == 1) {
            for (const limit &l : read_limits_file(file)) check_limit(l);
        } else if (capture_source source = open_capture(file); source.samples >= 16) {
            channel_figures f = analyse_channel(source, {48000, 16});
            require(f.samples * 4 == static_cast<int64_t>(rest.size()), "whole samples only");
            require(!std::isnan(f.whole.level_dbfs) && std::fabs(f.whole.dc_percent) <= 100.0001, "level and DC");
            bool tone = f.whole.tone_missing.empty();
            require(tone == (f.whole.freq_hz > 0 && f.whole.freq_hz <= 24000), "a frequency, or why there is none");
            require(tone || std::isnan(f.whole.thdn_db), "no THD+N without a tone");
        }
    } catch (const measure_error &) {}
    return 0;
}
