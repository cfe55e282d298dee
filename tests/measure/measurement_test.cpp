// The measurements on signals whose figures are known.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "channel_analysis.h"
#include "crosstalk.h"
#include "figure_limits.h"
#include "known_signals.h"
#include "measure_error.h"
#include "reference_match.h"
#include "temp_folder.h"

namespace {

channel_figures measured(const std::vector<int32_t> &samples, int64_t window = 1024)
{
    temp_folder folder;
    write_capture(folder / "c.raw", samples);
    return analyse_channel(open_capture((folder / "c.raw").string()), {48000, window});
}

TEST(Measurement, FindsTheFiguresOfKnownSignals)
{
    const known_signal cases[] = {
        {1000, -6, -40, -150, 48000},      {997.3, -1, -60, -110, 48000},  {421.875, -6, -80, -110, 51200},
        {5000.7, -20, -100, -140, 96000},  {60.1, -3, -100, -110, 96000},  {1000.5, -6, -150, -116, 48000},
        {6000.2, -10, -70, -200, 48000},
    };
    for (const known_signal &s : cases) {
        SCOPED_TRACE(testing::Message() << s.freq_hz << " Hz, THD " << s.thd_db << " dB, noise " << s.noise_dbfs);
        std::vector<int32_t> x = make_signal(s);
        double squares = 0;
        for (int32_t v : x)
            squares += (v / 2147483648.0) * (v / 2147483648.0);
        channel_figures f = measured(x);
        EXPECT_NEAR(f.whole.level_dbfs, 10 * std::log10(2 * squares / s.samples), 0.01);
        EXPECT_NEAR(f.whole.freq_hz, s.freq_hz, 0.01);
        if (s.thd_db > -110) {
            EXPECT_NEAR(f.whole.thd_db, s.thd_db, 0.5);
        }
        EXPECT_NEAR(f.whole.thdn_db, expected_thdn_db(s), 0.5);
        EXPECT_NEAR(f.whole.dc_percent, 0, 1e-4);
    }
}

TEST(Measurement, WorstWindowIsTheOneWithTheFault)
{
    struct fault {
        const char *what;
        int64_t first, count;
        int32_t value;
    };
    const fault cases[] = {{"dropout of one block", 10240, 1024, 0}, {"glitch at a block's last sample", 20479, 1, INT32_MIN}};
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
    channel_figures clean = measured(make_signal({1000, -6, -200, -130, 48000}));
    EXPECT_LT(clean.worst.value.thdn_db, -120);
    EXPECT_NEAR(clean.worst.value.level_dbfs, -6, 0.01);
}

TEST(Measurement, LatencyAndBitExactness)
{
    struct path {
        const char *what;
        int delay;
        bool upper_24_bits, clear_low_byte, halve, flip_one;
        bool exact;
        int64_t differing;
    };
    const path cases[] = {
        {"server loopback", 0, false, false, false, false, true, 0},
        {"i2s loopback, 24-bit compare", 3, true, true, false, false, true, 0},
        {"i2s loopback, 32-bit compare", 3, false, true, false, false, false, -1},
        {"one flipped sample", 37, false, false, false, true, false, 1},
        {"one flipped sample, 24-bit", 37, true, false, false, true, false, 1},
        {"half gain", 1000, false, false, true, false, false, -1},
        {"capture early", -5, false, false, false, false, true, 0},
    };
    std::vector<int32_t> reference = make_signal({1000, -200, -200, -6, 20000}, 7);
    for (const path &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int32_t> capture(reference.size() + 100, 0);
        for (size_t n = 0; n < reference.size(); ++n) {
            int64_t at = static_cast<int64_t>(n) + c.delay;
            if (at < 0 || at >= static_cast<int64_t>(capture.size()))
                continue;
            int32_t v = reference[n];
            if (c.clear_low_byte)
                v &= ~0xFF;
            if (c.halve)
                v /= 2;
            capture[static_cast<size_t>(at)] = v;
        }
        if (c.flip_one)
            capture[5000] ^= 1 << 20;
        temp_folder folder;
        write_capture(folder / "c.raw", capture);
        write_capture(folder / "r.raw", reference);
        reference_match m = match_reference(open_capture((folder / "c.raw").string()),
                                            open_capture((folder / "r.raw").string()), c.upper_24_bits);
        EXPECT_EQ(m.latency, c.delay);
        EXPECT_EQ(m.bit_exact, c.exact);
        if (c.differing >= 0) {
            EXPECT_EQ(m.differing_samples, c.differing);
        }
        int64_t overlap = std::min<int64_t>(20000, 20100 - c.delay) - std::max(0, -c.delay);
        EXPECT_EQ(m.compared_samples, overlap);
    }
}

TEST(Measurement, CrosstalkAgainstTheDrivenChannel)
{
    for (double crosstalk : {-40.0, -90.0, -100.0}) {
        SCOPED_TRACE(crosstalk);
        std::vector<channel_figures> channels;
        channels.push_back(measured(make_signal({997.3, -6, -200, -110, 48000}, 1)));
        channels.push_back(measured(make_signal({997.3, -6 + crosstalk, -200, -110, 48000}, 2)));
        measure_crosstalk(channels, 0);
        EXPECT_NEAR(channels[1].crosstalk_db, crosstalk, 1.0);
        EXPECT_TRUE(std::isnan(channels[0].crosstalk_db));
    }
}

TEST(Measurement, LimitExpressions)
{
    struct parsed {
        const char *text;
        figure which;
        bool worst;
        limit::kind test;
        double value, tolerance;
    };
    using k = limit::kind;
    const parsed good[] = {
        {"thdn<=-80", figure::thdn, false, k::at_most, -80, 0},
        {"snr>=100.5", figure::snr, false, k::at_least, 100.5, 0},
        {"level=-6\xC2\xB1" "0.5", figure::level, false, k::within, -6, 0.5},
        {"freq=1000+-1", figure::freq, false, k::within, 1000, 1},
        {"latency=37", figure::latency, false, k::within, 37, 0},
        {"worst:thdn<=-70", figure::thdn, true, k::at_most, -70, 0},
        {"bitexact", figure::bitexact, false, k::holds, 0, 0},
    };
    for (const parsed &p : good) {
        SCOPED_TRACE(p.text);
        limit l = parse_limit(p.text);
        EXPECT_EQ(l.which, p.which);
        EXPECT_EQ(l.worst, p.worst);
        EXPECT_EQ(l.test, p.test);
        EXPECT_EQ(l.value, p.value);
        EXPECT_EQ(l.tolerance, p.tolerance);
    }
    const std::pair<const char *, const char *> bad[] = {
        {"thdn<-80", "Malformed limit \"thdn<-80\"."},
        {"thdn<=", "Malformed limit \"thdn<=\"."},
        {"level=-6+-", "Malformed limit \"level=-6+-\"."},
        {"level=-6+--1", "Malformed limit \"level=-6+--1\"."},
        {"bitexact=1", "Malformed limit \"bitexact=1\"."},
        {"thd", "Malformed limit \"thd\"."},
        {"volume<=3", "Unknown figure \"volume\" in limit \"volume<=3\"."},
        {"worst:latency<=3", "Limit \"worst:latency<=3\": latency has no worst window."},
    };
    for (const auto &[text, message] : bad) {
        try {
            parse_limit(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const measure_error &e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    const std::tuple<const char *, double, bool> holds[] = {
        {"thdn<=-80", -80, true}, {"thdn<=-80", -79.99, false}, {"snr>=100", 99, false},
        {"level=-6+-0.5", -5.5, true}, {"level=-6+-0.5", -6.51, false}, {"bitexact", 0, false},
        {"bitexact", 1, true}, {"thd<=-40", NAN, false},
    };
    for (const auto &[text, measured_value, pass] : holds)
        EXPECT_EQ(limit_holds(parse_limit(text), measured_value), pass) << text << " " << measured_value;
}

}  // namespace
