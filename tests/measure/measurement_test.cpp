// The measurements on signals whose figures are known.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>

#include "channel_analysis.h"
#include "crosstalk.h"
#include "figure_limits.h"
#include "fourier.h"
#include "measure_error.h"
#include "measure_support.h"
#include "reference_match.h"
#include "temp_folder.h"

namespace {

channel_figures measured(const std::vector<int32_t> &samples, int64_t window = 1024, double rate = 48000,
                         weighting w = weighting::none) {
    temp_folder folder;
    write_capture(folder / "c.raw", samples);
    return analyse_channel(open_capture((folder / "c.raw").string()), {rate, window, w});
}

// The share of white noise in 20 Hz to 20 kHz.
double in_band(double rate) { return (std::min(20000.0, rate / 2) - 20) / (rate / 2); }

// Mean-square sums of what was put in: the harmonics in the band, and the
// noise in 20 Hz to 20 kHz.
double expected_thdn_db(const known_signal &s) {
    double harmonics = std::pow(10, s.thd_db / 10) * ((2 * s.freq_hz <= 20000) + (3 * s.freq_hz <= 20000)) / 2;
    return 10 * std::log10(harmonics + std::pow(10, (s.noise_dbfs - s.level_dbfs) / 10) * in_band(s.rate));
}

double expected_snr_db(const known_signal &s) { return s.level_dbfs - s.noise_dbfs - 10 * std::log10(in_band(s.rate)); }

TEST(Measurement, FindsTheFiguresOfKnownSignals) {
    const known_signal cases[] = {
        {1000, -6, -40, -150, 48000},
        {997.3, -1, -60, -110, 48000},
        {421.875, -6, -80, -110, 51200},
        {5000.7, -20, -100, -140, 96000},
        {60.1, -3, -100, -110, 96000},
        {1000.5, -6, -150, -116, 48000},
        {6000.2, -10, -70, -200, 48000},
        {7000, -6, -60, -110, 48000},
        {10500, -6, -50, -100, 96000, 96000},
        // a second harmonic on the upper edge, and half a hertz over it, in 2.93 Hz bins
        {10000, -6, -60, -130, 96000, 96000},
        {10000.25, -6, -60, -130, 96000, 96000},
    };
    for (const known_signal &s : cases) {
        SCOPED_TRACE(testing::Message() << s.freq_hz << " Hz, THD " << s.thd_db << " dB, noise " << s.noise_dbfs);
        std::vector<int32_t> x = make_signal(s);
        double squares = 0, sum = 0;
        for (int32_t v : x) squares += (v / 2147483648.0) * (v / 2147483648.0), sum += v / 2147483648.0;
        channel_figures f = measured(x, 1024, s.rate);
        EXPECT_NEAR(f.whole.level_dbfs, 10 * std::log10(2 * squares / s.samples), 0.01);
        EXPECT_NEAR(f.whole.freq_hz, s.freq_hz, 0.01);
        if (s.thd_db > -110) {
            EXPECT_NEAR(f.whole.thd_db, s.thd_db, 0.5);
        }
        EXPECT_NEAR(f.whole.thdn_db, expected_thdn_db(s), 0.5);
        if (expected_thdn_db(s) > s.noise_dbfs - s.level_dbfs + 30) {  // windows too, where noise is far under
            EXPECT_NEAR(f.worst.value.thdn_db, expected_thdn_db(s), 0.5);
        }
        if (s.noise_dbfs > -150) {
            EXPECT_NEAR(f.whole.snr_db, expected_snr_db(s), 0.5);
        }
        EXPECT_NEAR(f.whole.dc_percent, 100 * sum / s.samples, 1e-9);
    }
}

// A capture holding fewer periods than a spectrum needs says so; one that
// holds enough gets its tone; a figure given is always the right one.
TEST(Measurement, ShortCapturesGiveTheToneOrSayTheyAreTooShort) {
    for (double rate : {44100.0, 48000.0, 192000.0})
        for (int64_t samples : {1024, 4096, 24000, 96000})
            for (double freq : {20.0, 110.0, 997.0, 15000.0}) {
                known_signal s{freq, -6, -200, -120, samples, rate};
                SCOPED_TRACE(testing::Message() << rate << " Hz rate, " << samples << " samples, " << freq << " Hz");
                channel_figures f = measured(make_signal(s), std::min<int64_t>(samples, 1024), rate);
                double periods = freq * static_cast<double>(samples) / rate;
                if (periods >= tone_periods) {
                    EXPECT_EQ(f.whole.tone_missing, "");
                } else if (periods < tone_periods / 2) {
                    EXPECT_EQ(f.whole.tone_missing, "capture too short for its tone: 12 periods needed");
                }
                if (!std::isnan(f.whole.freq_hz)) {
                    EXPECT_NEAR(f.whole.freq_hz, freq, 0.1 * rate / static_cast<double>(samples));
                    EXPECT_NEAR(f.whole.thdn_db, expected_thdn_db(s), 1.5);
                } else {
                    EXPECT_TRUE(std::isnan(f.whole.thdn_db) && std::isnan(f.worst.value.snr_db));
                }
                EXPECT_NEAR(std::isnan(f.worst.value.snr_db) ? expected_snr_db(s) : f.worst.value.snr_db,
                            expected_snr_db(s), 3);
            }
}

TEST(Measurement, SignalsWithoutAToneOrAtTheEdges) {
    std::vector<int32_t> noise = make_signal({1000, -400, -200, -60, 48000});
    std::vector<int32_t> dc_and_noise = make_signal({1000, -400, -200, -120, 48000});
    for (int32_t &v : dc_and_noise) v += 1 << 29;
    std::vector<int32_t> sub_lsb(48000, 0);  // a stray LSB now and then
    for (size_t n = 0; n < sub_lsb.size(); n += 7) sub_lsb[n] = n % 2 ? 1 : -1;
    std::vector<int32_t> one_lsb(48000);  // 12 kHz: the mean square of a sine of one LSB, exactly
    for (size_t n = 1; n < one_lsb.size(); n += 2) one_lsb[n] = n % 4 == 1 ? 1 : -1;
    // A second harmonic at Nyquist is (-1)^n: its mean square is its amplitude squared.
    std::vector<int32_t> nyquist(48000);
    for (size_t n = 0; n < nyquist.size(); ++n)
        nyquist[n] = static_cast<int32_t>(std::lround(
            (0.5 * std::sin(M_PI * n / 2 + 0.3) + (n % 2 ? -1 : 1) * 0.5 * std::sqrt(0.5) * 0.01) * 2147483648.0));
    const std::tuple<const char *, std::vector<int32_t>, std::string> cases[] = {
        {"silence", std::vector<int32_t>(48000, 0), "silence"},
        {"under one LSB", sub_lsb, "silence"},
        {"a sine of one LSB", one_lsb, "silence"},
        {"DC alone", std::vector<int32_t>(48000, 1 << 29), "no tone"},
        {"DC of -3 %", std::vector<int32_t>(48000, -static_cast<int32_t>(0.03 * 2147483648.0)), "no tone"},
        {"a few samples", make_signal({1000, -6, -200, -200, 16}), "capture too short for its tone: 12 periods needed"},
        {"noise alone", noise, "no tone"},
        {"DC and noise", dc_and_noise, "no tone"},
        {"harmonic at Nyquist", nyquist, ""},
    };
    for (const auto &[what, x, missing] : cases) {
        SCOPED_TRACE(what);
        channel_figures f = measured(x, std::min<int64_t>(1024, static_cast<int64_t>(x.size())));
        EXPECT_EQ(f.whole.tone_missing, missing);
        EXPECT_EQ(f.whole.level_dbfs == -HUGE_VAL, std::count(x.begin(), x.end(), 0) == std::ssize(x));
        if (!missing.empty()) {
            EXPECT_TRUE(std::isnan(f.whole.freq_hz) && std::isnan(f.whole.thd_db) && std::isnan(f.worst.value.thdn_db));
            EXPECT_EQ(f.worst.value.tone_missing, missing);
            // Without a tone a window's DC is its mean; too short, there is no noise figure either.
            if (missing == "silence" || missing == "no tone")
                EXPECT_NEAR(f.worst.value.dc_percent, f.whole.dc_percent, 0.01);
            else
                EXPECT_TRUE(std::isnan(f.whole.noise_dbfs));
        } else {
            EXPECT_NEAR(f.whole.thd_db, -40, 0.1);
            EXPECT_NEAR(f.worst.value.thd_db, -40, 0.1);
        }
    }
    // A tone stands 20 dB over the floor's median bin, whatever the floor
    // holds halfway up: here a -20 dBFS tone on bin 4102 of 16384.
    std::vector<int32_t> two_tones = make_signal({1000, -6, -200, -120, 48000});
    for (size_t n = 0; n < two_tones.size(); ++n)
        two_tones[n] += static_cast<int32_t>(std::lround(0.1 * std::sin(2 * M_PI * 4102 * n / 16384) * 2147483648.0));
    EXPECT_NEAR(measured(two_tones).whole.freq_hz, 1000, 0.01);
    // The longest spectrum is 2^22 samples, whatever the rate and length: here 2^24 samples of silence at 10 MHz.
    temp_folder folder;
    std::ofstream(folder / "long.raw").close();
    std::filesystem::resize_file(folder / "long.raw", 64 << 20);
    EXPECT_EQ(analyse_channel(open_capture((folder / "long.raw").string()), {1e7, 1024}).spectrum.length, 1 << 22);
}

// A capture that shrinks or cannot be read after it was opened is an error, never read forever.
TEST(Measurement, CaptureThatShrinksOrFailsIsAnError) {
    temp_folder folder;
    write_capture(folder / "c.raw", std::vector<int32_t>(100));
    const capture_source c = open_capture((folder / "c.raw").string());
    std::vector<int32_t> out(100);
    std::filesystem::resize_file(folder / "c.raw", 40);
    EXPECT_THROW(read_samples(c, 0, 100, out.data()), measure_error);
    std::filesystem::remove(folder / "c.raw");
    std::filesystem::create_directory(folder / "c.raw");  // opened, but each read fails
    EXPECT_THROW(read_samples(c, 0, 100, out.data()), measure_error);
}

// A tone just outside the band counts not at all, one just inside or on an
// edge wholly, by its frequency rather than its nearest bin's (0.73 Hz bins
// over 144000 samples, 2.93 Hz over 32768), a tenth harmonic (of 2 kHz) too.
TEST(Measurement, BandEdgesHoldForTones) {
    const std::tuple<double, int64_t, double> cases[] = {
        {19, 144000, 1000},    {19.9, 144000, 1000},    {20, 144000, 1000},     {21, 144000, 1000},
        {19990, 32768, 1000},  {20000, 32768, 1000},    {20000.5, 32768, 1000}, {20010, 32768, 1000},
        {20000, 144000, 1000}, {20000.4, 144000, 1000}, {20000, 32768, 2000},
    };
    for (const auto &[hz, samples, fundamental] : cases) {
        std::vector<int32_t> x = make_signal({fundamental, -6, -200, -130, samples}),
                             beside = make_signal({hz, -46, -200, -400, samples});
        for (size_t n = 0; n < x.size(); ++n) x[n] += beside[n];
        for (weighting w : {weighting::none, weighting::a}) {
            double tone = hz >= 20 && hz <= 20000 ? 1e-4 * weighting_power_gain(w, hz) : 0;
            double noise = std::pow(10, -12.4) * white_noise_share(48000, w);
            EXPECT_NEAR(measured(x, 1024, 48000, w).whole.thdn_db, 10 * std::log10(tone + noise), 0.5)
                << hz << " Hz, " << samples << " samples, " << weighting_name(w);
        }
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
        EXPECT_EQ(std::isnan(f.worst.value.freq_hz), c.value == 0);
        EXPECT_EQ(f.worst.value.tone_missing, c.value == 0 ? "no tone in the window at sample 10240" : "");
    }
    // DC keeps its sign; harmonics are no noise in a window either.
    known_signal distorted{1000, -6, -40, -110, 48000};
    std::vector<int32_t> offset = make_signal(distorted);
    for (int32_t &v : offset) v -= static_cast<int32_t>(0.03 * 2147483648.0);
    channel_figures f = measured(offset);
    EXPECT_NEAR(f.worst.value.dc_percent, -3, 1e-3);
    EXPECT_NEAR(f.whole.dc_percent, -3, 1e-3);
    EXPECT_FALSE(limit_holds(parse_limit("worst:dc>=-1"), f.worst.value.dc_percent));
    EXPECT_NEAR(f.worst.value.snr_db, expected_snr_db(distorted), 1.5);
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

// The fit in a window needs two periods of the tone; from there on its
// noise is the truth's.
TEST(Measurement, WindowFitNeedsTwoPeriods) {
    known_signal s{1000, -6, -60, -100, 9600};
    for (int64_t window : {16, 95, 96, 4800}) {
        channel_figures f = measured(make_signal(s), window);
        bool fits = window >= 96;
        EXPECT_EQ(f.worst.value.tone_missing,
                  fits ? "" : "window too short for the tone: 96 samples needed for 2 periods");
        EXPECT_NEAR(fits ? f.worst.value.snr_db : expected_snr_db(s), expected_snr_db(s), 3) << window;
        EXPECT_NEAR(fits ? f.worst.value.thd_db : -60, -60, 1) << window;
        EXPECT_EQ(std::isnan(f.worst.value.dc_percent), !fits) << window;  // a window's mean is no DC then
    }
}

TEST(Measurement, FiguresReadAsTheirNamesAndLimitsHoldOrNot) {
    const std::tuple<figure, double, const char *> names[] = {
        {figure::thd, HUGE_VAL, "inf"},     {figure::snr, -HUGE_VAL, "-inf"}, {figure::freq, NAN, "n/a"},
        {figure::dc, -1e-6, "0.0000"},      {figure::bitexact, 1, "yes"},     {figure::bitexact, 0, "no"},
        {figure::level, -6.0205, "-6.021"}, {figure::latency, -37, "-37"},
    };
    for (const auto &[which, value, text] : names) EXPECT_EQ(format_number(which, value), text);
    const std::tuple<const char *, double, bool> cases[] = {
        {"thdn<=-80", -80, true},         {"thdn<=-80", -79.99, false}, {"snr>=100.5", 100.5, true},
        {"snr>=100.5", 100.4, false},     {"level=-6±0.5", -5.5, true}, {"level=-6±0.5", -6.51, false},
        {"freq=1000+-1", 1001.01, false}, {"latency=37", 37, true},     {"latency=37", 38, false},
        {"bitexact", 0, false},           {"bitexact", 1, true},        {"thd<=-40", NAN, false},
    };
    for (const auto &[text, measured_value, pass] : cases)
        EXPECT_EQ(limit_holds(parse_limit(text), measured_value), pass) << text << " " << measured_value;
    EXPECT_TRUE(limit_holds(parse_limit("flatness[0:50]<=1"), 1));  // a band may start at 0 Hz
    // A figure known only as an upper bound (below the floor) holds an upper limit, nothing else.
    for (const char *text : {"crosstalk<=-100", "crosstalk>=-200", "crosstalk=-110+-20"})
        EXPECT_EQ(limit_holds(parse_limit(text), -107.9, true), text[9] == '<') << text;
}

// Crosstalk is the driven tone's level on the other channel, not that of a
// tone beside it.
TEST(Measurement, CrosstalkReadsOnlyTheDrivenTone) {
    const int64_t samples = 3 * 48000;
    // other channel: its own tone (Hz, dBFS), the driven tone leaking onto it (dBFS)
    const std::tuple<double, double, double> cases[] = {
        {1006, -6, -400}, {1006, -6, -66}, {1500, -6, -106}, {2000, -400, -86}};
    for (const auto &[other_hz, other_dbfs, leak_dbfs] : cases) {
        SCOPED_TRACE(testing::Message() << other_hz << " Hz at " << other_dbfs << ", leak " << leak_dbfs);
        std::vector<int32_t> other = make_signal({other_hz, other_dbfs, -200, -150, samples}, 2);
        std::vector<int32_t> leak = make_signal({1000, leak_dbfs, -200, -400, samples});
        for (size_t n = 0; n < other.size(); ++n) other[n] += leak[n];
        std::vector<channel_figures> channels = {measured(make_signal({1000, -6, -200, -150, samples})),
                                                 measured(other)};
        measure_crosstalk(channels, 0);
        if (leak_dbfs < -200)
            EXPECT_LT(channels[1].crosstalk_db, -120);
        else
            EXPECT_NEAR(channels[1].crosstalk_db, leak_dbfs + 6, 0.5);
    }
    std::vector<channel_figures> silent(2, measured(std::vector<int32_t>(4096, 0)));
    measure_crosstalk(silent, 1);  // and the channel before the driven one has its figure too
    EXPECT_TRUE(std::isnan(silent[0].crosstalk_db));
    EXPECT_EQ(silent[0].crosstalk_missing, "no tone on the driven channel");
}

// The latency over delays, shapes and lengths of reference: exact, or n/a
// with the reason when the reference cannot give it.
TEST(Measurement, LatencyIsExactOrSaysWhyNot) {
    enum shape { white, silence_then_sine, sine_then_silence, sine, silence, quiet_white };
    const std::tuple<shape, std::string> shapes[] = {
        {white, ""},
        {silence_then_sine, ""},
        {sine_then_silence, ""},
        {sine, "ambiguous: the reference repeats within 65536 samples either way"},
        {silence, "silent reference"},
        {quiet_white, ""},  // -40 dBFS: under one full-scale sample's energy in all
    };
    temp_folder folder;
    auto match_of = [&](const std::vector<int32_t> &reference, const std::vector<int32_t> &capture, int64_t range) {
        write_capture(folder / "r.raw", reference);
        write_capture(folder / "c.raw", capture);
        return match_reference(open_capture((folder / "c.raw").string()), open_capture((folder / "r.raw").string()),
                               false, range);
    };
    std::vector<int32_t> noise = make_signal({1000, -400, -200, -20, 300000}, 7);
    for (int64_t length : {4096, 65536})
        for (const auto &[form, missing] : shapes)
            for (int64_t delay : {0, 24, 37, 1000, -500, -2048, 48000, 70000}) {
                if (form == sine_then_silence && delay <= -length / 2) continue;  // the capture holds none of it
                SCOPED_TRACE(testing::Message() << "shape " << form << ", " << length << " samples, delay " << delay);
                // The stimulus at sample n of the reference, going on beyond it as a player would.
                auto stimulus = [&, form = form](int64_t n) -> int32_t {
                    if (form == white || form == quiet_white)
                        return noise[static_cast<size_t>(n + 100000)] / (form == white ? 1 : 100);
                    if (form == silence) return 0;
                    if (form == silence_then_sine && n < length / 2) return 0;
                    if (form == sine_then_silence && n >= length / 2) return 0;
                    return static_cast<int32_t>(
                        std::lround(0.5 * std::sin(2 * M_PI * 1000 * n / 48000.0) * 2147483648.0));
                };
                // Around the short reference the capture is digitally silent: some lags meet no energy at all.
                double floor = length == 4096 ? -400 : -120;
                std::vector<int32_t> reference, capture = make_signal({1000, -400, -200, floor, length + 70000}, 5);
                for (int64_t n = 0; n < length; ++n) reference.push_back(stimulus(n));
                for (int64_t n = std::max<int64_t>(0, delay); n < static_cast<int64_t>(capture.size()); ++n)
                    capture[static_cast<size_t>(n)] += stimulus(n - delay);
                reference_match m = match_of(reference, capture, default_latency_range);
                // Beyond the range: nothing there, or only its repetitions.
                EXPECT_TRUE(delay > 65536 ? !m.missing.empty() : m.missing == missing) << m.missing;
                EXPECT_EQ(m.missing.empty() ? m.latency : delay, delay);
            }
    // A reference so slow that its lobe runs over the ends of the range.
    for (int64_t delay : {-40, -39, 39, 40}) {
        std::vector<int32_t> reference = make_signal({0.5, -6, -200, -400, 4096}), capture = reference;
        if (delay > 0) capture.insert(capture.begin(), static_cast<size_t>(delay), 0);
        if (delay < 0) capture.erase(capture.begin(), capture.begin() - delay);
        reference_match m = match_of(reference, capture, 40);
        EXPECT_EQ(std::tie(m.missing, m.latency), std::make_tuple(std::string(), delay)) << delay;
    }
}

}  // namespace
