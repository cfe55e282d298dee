// The noise figures and their weighting, against truth computed from the
// signals put in and the weighting's formula.
#include <gtest/gtest.h>

#include <cmath>

#include "band_noise.h"
#include "channel_analysis.h"
#include "fourier.h"
#include "measure_support.h"
#include "temp_folder.h"

namespace {

power_spectrum spectrum_of(const std::vector<int32_t> &samples, double rate) {
    temp_folder folder;
    write_capture(folder / "c.raw", samples);
    return analyse_channel(open_capture((folder / "c.raw").string()), {rate, 1024}).spectrum;
}

double mean_square(const std::vector<int32_t> &x) {
    double sum = 0;
    for (int32_t v : x) sum += (v / full_scale) * (v / full_scale);
    return sum / static_cast<double>(x.size());
}

// The share of white noise's power that the band and the weighting pass.
double white_noise_share(double rate, weighting w) {
    audio_band band = audio_band_of(rate);
    double sum = 0, step = 0.25;
    for (double f = band.low_hz + step / 2; f < band.high_hz; f += step) sum += weighting_power_gain(w, f) * step;
    return sum / (rate / 2);
}

double db(double power_ratio) { return 10 * std::log10(power_ratio); }

TEST(Weighting, MatchesTheStandardsTablesBySingleTones) {
    // The A table's frequencies are the exact base-ten ones its nominal
    // 31.5 Hz, 2 kHz and 20 kHz stand for; the 468 table's are as printed.
    const std::tuple<weighting, double, double> table[] = {
        {weighting::a, std::pow(10, 1.5), -39.4},
        {weighting::a, 100, -19.1},
        {weighting::a, 1000, 0},
        {weighting::a, std::pow(10, 3.3), 1.2},
        {weighting::a, 10000, -2.5},
        {weighting::a, std::pow(10, 4.3), -9.3},
        {weighting::itu_468, 31.5, -29.9},
        {weighting::itu_468, 1000, 0},
        {weighting::itu_468, 2000, 5.6},
        {weighting::itu_468, 6300, 12.2},
        {weighting::itu_468, 10000, 8.1},
        {weighting::itu_468, 20000, -22.2},
    };
    for (const auto &[w, freq, expected_db] : table) {
        SCOPED_TRACE(testing::Message() << weighting_name(w) << " at " << freq << " Hz");
        EXPECT_NEAR(db(weighting_power_gain(w, freq)), expected_db, 0.05);
        // A tone: weighted through its spectrum, with nothing excluded.
        known_signal tone{freq * 48000 / 96000, -20, -200, -200, 1 << 17};
        power_spectrum s = spectrum_of(make_signal(tone), 96000);
        EXPECT_NEAR(db(band_noise(s, NAN, 8, w) / band_noise(s, NAN, 8, weighting::none)), expected_db, 0.1);
    }
}

TEST(BandNoise, WhiteNoiseOfKnownRmsWithAndWithoutTone) {
    // rate, tone level (-200: none), weighting
    const std::tuple<double, double, weighting> cases[] = {
        {48000, -200, weighting::none},    {48000, -200, weighting::a}, {44100, -200, weighting::a},
        {32000, -200, weighting::none},    {32000, -200, weighting::a}, {96000, -200, weighting::a},
        {48000, -6, weighting::none},      {48000, -6, weighting::a},   {48000, -60, weighting::a},
        {48000, -200, weighting::itu_468},
    };
    for (const auto &[rate, tone_dbfs, w] : cases) {
        SCOPED_TRACE(testing::Message() << rate << " Hz, tone " << tone_dbfs << " dBFS, " << weighting_name(w));
        known_signal s{997 * 48000 / rate, tone_dbfs, -200, -90, 192000};
        std::vector<int32_t> x = make_signal(s);
        double noise_only = mean_square(make_signal({997, -200, -200, -90, 192000}));
        double fundamental = tone_dbfs > -200 ? 997 : NAN;
        EXPECT_NEAR(db(band_noise(spectrum_of(x, rate), fundamental, 8, w)),
                    db(noise_only * white_noise_share(rate, w)), 0.1);
    }
}

TEST(DynamicRange, IsTheBandNoiseUnderASixtyDecibelTone) {
    // tone level (-200: none), noise, weighting; NaN: no dynamic range
    const std::tuple<double, double, weighting, bool> cases[] = {
        {-60, -100, weighting::none, true},   {-60, -100, weighting::a, true},     {-60, -120, weighting::a, true},
        {-50, -110, weighting::none, true},   {-45, -100, weighting::none, false}, {-75, -100, weighting::none, false},
        {-200, -100, weighting::none, false},
    };
    for (const auto &[tone_dbfs, noise_dbfs, w, measured] : cases) {
        SCOPED_TRACE(testing::Message() << "tone " << tone_dbfs << " dBFS, noise " << noise_dbfs << ", "
                                        << weighting_name(w));
        known_signal s{997, tone_dbfs, -200, noise_dbfs, 48000};
        power_spectrum spectrum = spectrum_of(make_signal(s), 48000);
        double at = fundamental_bin(spectrum.bins);
        double fundamental_dbfs = dbfs_of_mean_square(tone_power(spectrum.bins, at, window_lobe_bins));
        double noise = band_noise(spectrum, at * spectrum.bin_hz, window_lobe_bins, w);
        double dr = dynamic_range_db(fundamental_dbfs, dbfs_of_mean_square(noise));
        if (!measured) {
            EXPECT_TRUE(std::isnan(dr)) << dr;
            continue;
        }
        double truth = noise_dbfs + db(white_noise_share(48000, w));
        EXPECT_NEAR(dr, -truth, 0.2);
    }
}

}  // namespace
