// veskmeasure's readers of user input. The first byte chooses what the rest
// is: 0 a limit as given with --limit, 1 a limits file, anything else a
// capture file, which is then measured (rate 48 kHz, 16-sample windows).
// Whatever the bytes, each reader gives a sound result or refuses them with
// measure_error; nothing else may happen.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "channel_analysis.h"
#include "figure_limits.h"
#include "fuzz_check.h"
#include "measure_error.h"

namespace {

// One scratch file for the process, rewritten for each input.
const std::string &scratch_file(const std::string &bytes) {
    static std::string path = [] {
        char name[] = "/tmp/veskmeasure-fuzz-XXXXXX";
        int fd = mkstemp(name);
        require(fd >= 0, "scratch file made");
        close(fd);
        return std::string(name);
    }();
    FILE *file = std::fopen(path.c_str(), "wb");
    require(file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fclose(file) == 0,
            "scratch file written");
    return path;
}

void check_limit(const limit &l) {
    require(figure_by_name(info_of(l.which).name) == l.which, "a known figure");
    require(!l.worst || info_of(l.which).has_worst, "worst only where there are windows");
    require(std::isfinite(l.value) && std::isfinite(l.tolerance) && l.tolerance >= 0, "finite bounds");
    require((l.which == figure::bitexact) == (l.test == limit::kind::holds), "bitexact alone holds or not");
}

void check_figures(const channel_figures &f, int64_t samples) {
    require(f.samples == samples && f.worst.count >= 1, "every sample in windows");
    require(!std::isnan(f.whole.level_dbfs) && !std::isnan(f.whole.dc_percent), "level and DC always measured");
    require(std::fabs(f.whole.dc_percent) <= 100.0001, "DC within full scale");
    bool tone = f.whole.tone_missing.empty();
    require(tone == !std::isnan(f.whole.freq_hz), "a frequency, or the reason there is none");
    require(!tone || (f.whole.freq_hz > 0 && f.whole.freq_hz <= 24000), "a frequency below Nyquist");
    require(tone || std::isnan(f.whole.thdn_db), "no THD+N without a tone");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0 || size > 65536) return 0;
    std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    try {
        if (data[0] == 0) {
            check_limit(parse_limit(rest));
        } else if (data[0] == 1) {
            for (const limit &l : read_limits_file(scratch_file(rest))) check_limit(l);
        } else {
            capture_source source = open_capture(scratch_file(rest));
            require(source.samples * 4 == static_cast<int64_t>(rest.size()), "whole samples only");
            if (source.samples >= 16) check_figures(analyse_channel(source, {48000, 16}), source.samples);
        }
    } catch (const measure_error &) {}
    return 0;
}
