// The noise figures and their weighting, against truth computed from the
// signals put in and the weightings' tables and formulas.
#include <gtest/gtest.h>

#include <cmath>

#include "channel_analysis.h"
#include "measure_support.h"
#include "temp_folder.h"

namespace {

channel_figures measured(const std::vector<int32_t> &samples, double rate, weighting w) {
    temp_folder folder;
    write_capture(folder / "c.raw", samples);
    return analyse_channel(open_capture((folder / "c.raw").string()), {rate, 1024, w});
}

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
        {weighting::itu_468, 16000, -11.7},
    };
    for (const auto &[w, freq, expected_db] : table) {
        SCOPED_TRACE(testing::Message() << weighting_name(w) << " at " << freq << " Hz");
        EXPECT_NEAR(10 * std::log10(weighting_power_gain(w, freq)), expected_db, 0.05);
        // The tone, 34 dB under a 1234.5 Hz fundamental, is all the noise there is.
        std::vector<int32_t> x = make_signal({1234.5 / 2, -6, -200, -200, 1 << 16});
        std::vector<int32_t> tone = make_signal({freq / 2, -40, -200, -200, 1 << 16});
        for (size_t n = 0; n < x.size(); ++n) x[n] += tone[n];
        auto noise = [&](weighting with) { return measured(x, 96000, with).whole.noise_dbfs; };
        EXPECT_NEAR(noise(w) - noise(weighting::none), expected_db, 0.1);
    }
}

TEST(Noise, OfWhiteNoiseOfKnownRmsWithAndWithoutATone) {
    // rate, tone level (-200: none), weighting
    const std::tuple<double, double, weighting> cases[] = {
        {48000, -200, weighting::none}, {48000, -200, weighting::a}, {44100, -200, weighting::a},
        {32000, -200, weighting::none}, {96000, -200, weighting::a}, {48000, -200, weighting::itu_468},
        {48000, -6, weighting::none},   {48000, -6, weighting::a},   {96000, -60, weighting::a},
    };
    for (const auto &[rate, tone_dbfs, w] : cases) {
        SCOPED_TRACE(testing::Message() << rate << " Hz, tone " << tone_dbfs << " dBFS, " << weighting_name(w));
        std::vector<int32_t> x = make_signal({997 * 48000 / rate, tone_dbfs, -200, -90, 192000});
        double truth = -90 + 10 * std::log10(white_noise_share(rate, w));
        channel_figures f = measured(x, rate, w);
        EXPECT_NEAR(f.whole.noise_dbfs, truth, 0.1);
        EXPECT_GE(f.worst.value.noise_dbfs, f.whole.noise_dbfs);
        EXPECT_LE(f.worst.value.noise_dbfs, f.whole.noise_dbfs + 1.5);
        if (tone_dbfs > -200) {
            EXPECT_NEAR(f.whole.thdn_db, truth - tone_dbfs, 0.1);
            EXPECT_NEAR(f.whole.snr_db, tone_dbfs - truth, 0.1);
        }
    }
}

TEST(DynamicRange, IsTheNoiseNegatedUnderAToneNearMinus60dBFS) {
    // tone level (-200: none), noise level, weighting, dr measured
    const std::tuple<double, double, weighting, bool> cases[] = {
        {-60, -100, weighting::none, true},   {-60, -100, weighting::a, true},      {-60, -120, weighting::a, true},
        {-50, -110, weighting::none, true},   {-45, -100, weighting::none, false},  {-75, -100, weighting::none, false},
        {-200, -100, weighting::none, false}, {-200, -300, weighting::none, false},
    };
    for (const auto &[tone_dbfs, noise_dbfs, w, measurable] : cases) {
        SCOPED_TRACE(testing::Message() << "tone " << tone_dbfs << " dBFS, noise " << noise_dbfs << ", "
                                        << weighting_name(w));
        channel_figures f = measured(make_signal({997, tone_dbfs, -200, noise_dbfs, 48000}), 48000, w);
        if (measurable)
            EXPECT_NEAR(f.whole.dr_db, -noise_dbfs - 10 * std::log10(white_noise_share(48000, w)), 0.2);
        else
            EXPECT_TRUE(std::isnan(f.whole.dr_db) && !f.whole.dr_missing.empty()) << f.whole.dr_db;
    }
    // Digital silence has no noise at all, in every window.
    channel_figures silence = measured(std::vector<int32_t>(4096, 0), 48000, weighting::a);
    EXPECT_EQ(silence.whole.noise_dbfs, -HUGE_VAL);
    EXPECT_EQ(silence.worst.value.noise_dbfs, -HUGE_VAL);
}

}  // namespace
