// The measurements on signals whose figures are known.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "channel_analysis.h"
#include "figure_limits.h"
#include "measure_support.h"
#include "temp_folder.h"

namespace {

channel_figures measured(const std::vector<int32_t> &samples, int64_t window = 1024) {
    temp_folder folder;
    write_capture(folder / "c.raw", samples);
    return analyse_channel(open_capture((folder / "c.raw").string()), {48000, window});
}

// Mean-square sums of what was put in: harmonics, and the noise in 20 Hz to 20 kHz.
double expected_thdn_db(const known_signal &s) {
    return 10 *
           std::log10(std::pow(10, s.thd_db / 10) + std::pow(10, (s.noise_dbfs - s.level_dbfs) / 10) * 19980 / 24000);
}

TEST(Measurement, FindsTheFiguresOfKnownSignals) {
    const known_signal cases[] = {
        {1000, -6, -40, -150, 48000},     {997.3, -1, -60, -110, 48000}, {421.875, -6, -80, -110, 51200},
        {5000.7, -20, -100, -140, 96000}, {60.1, -3, -100, -110, 96000}, {1000.5, -6, -150, -116, 48000},
        {6000.2, -10, -70, -200, 48000},
    };
    for (const known_signal &s : cases) {
        SCOPED_TRACE(testing::Message() << s.freq_hz << " Hz, THD " << s.thd_db << " dB, noise " << s.noise_dbfs);
        std::vector<int32_t> x = make_signal(s);
        double squares = 0, sum = 0;
        for (int32_t v : x) squares += (v / 2147483648.0) * (v / 2147483648.0), sum += v / 2147483648.0;
        channel_figures f = measured(x);
        EXPECT_NEAR(f.whole.level_dbfs, 10 * std::log10(2 * squares / s.samples), 0.01);
        EXPECT_NEAR(f.whole.freq_hz, s.freq_hz, 0.01);
        if (s.thd_db > -110) {
            EXPECT_NEAR(f.whole.thd_db, s.thd_db, 0.5);
        }
        EXPECT_NEAR(f.whole.thdn_db, expected_thdn_db(s), 0.5);
        EXPECT_NEAR(f.whole.dc_percent, 100 * sum / s.samples, 1e-9);
    }
}

TEST(Measurement, WorstWindowIsTheOneWithTheFault) {
    struct fault {
        const char *what;
        int64_t first, count;
        int32_t value;
    };
    const fault cases[] = {{"dropout of one block", 10240, 1024, 0},
                           {"glitch at a block's last sample", 20479, 1, INT32_MIN}};
    for (const fault &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int32_t> x = make_signal({1000, -6, -200, -130, 48000});
        std::fill(x.begin() + c.first, x.begin() + c.first + c.count, c.value);
        channel_figures f = measured(x);
        int64_t window = c.first / 1024 * 1024;
        EXPECT_EQ(f.worst.start.thdn_db, window);
        EXPECT_GT(f.worst.value.thdn_db, -60);
        EXPECT_LT(f.whole.thdn_db, f.worst.value.thdn_db);
    }
    std::vector<int32_t> x = make_signal({1000, -6, -200, -130, 48000});
    channel_figures clean = measured(x);
    EXPECT_LT(clean.worst.value.thdn_db, -120);
    double lowest = 0;  // the windows' own RMS, which swings with the part of a period each holds
    for (size_t w = 0; w + 1024 <= x.size(); w += 1024) {
        double squares = 0;
        for (size_t n = w; n < w + 1024; ++n) squares += std::pow(x[n] / 2147483648.0, 2);
        lowest = std::min(lowest, 10 * std::log10(2 * squares / 1024));
    }
    EXPECT_NEAR(clean.worst.value.level_dbfs, lowest, 1e-9);
}

TEST(Measurement, LimitsHoldOrNot) {
    const std::tuple<const char *, double, bool> cases[] = {
        {"thdn<=-80", -80, true},         {"thdn<=-80", -79.99, false}, {"snr>=100.5", 100.5, true},
        {"snr>=100.5", 100.4, false},     {"level=-6±0.5", -5.5, true}, {"level=-6±0.5", -6.51, false},
        {"freq=1000+-1", 1001.01, false}, {"latency=37", 37, true},     {"latency=37", 38, false},
        {"bitexact", 0, false},           {"bitexact", 1, true},        {"thd<=-40", NAN, false},
    };
    for (const auto &[text, measured_value, pass] : cases)
        EXPECT_EQ(limit_holds(parse_limit(text), measured_value), pass) << text << " " << measured_value;
}

}  // namespace
