// Multitone analysis on synthetic captures: per-tone gain and phase set
// exactly, known delays, noise and coupling between channels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <functional>
#include <random>
#include <sstream>

#include "measure_support.h"
#include "multitone.h"
#include "multitone_plot.h"
#include "multitone_report.h"
#include "program_run.h"
#include "temp_folder.h"
#include "text_lines.h"

namespace {

const std::filesystem::path golden = VESK_MEASURE_GOLDEN;
using cplx = std::complex<double>;

struct tone {
    double bin;
    cplx amplitude;  // of a cosine, fraction of full scale
};
using tones = std::vector<tone>;

// count log-spaced tones from bin 2 up to a third of the block, Schroeder
// phases; with several channels, each takes every channels-th bin.
tones multitone(int block, int count, int channel = 0, int channels = 1) {
    tones out;
    double top = block / 3.0 / channels;
    for (int i = 0; i < count; ++i) {
        int bin = static_cast<int>(std::lround(2 * std::pow(top / 2, i / (count - 1.0)))) * channels + channel;
        if (!out.empty() && bin <= out.back().bin) bin = static_cast<int>(out.back().bin) + channels;
        out.push_back({double(bin), std::polar(0.25 / std::sqrt(count), -M_PI * i * i / count)});
    }
    return out;
}

// What a device makes of t: input silent until onset, then the tones,
// plus white noise of rms noise.
std::vector<int32_t> capture(const tones &t, int block, int64_t samples, int64_t onset = 0, double noise = 0,
                             uint32_t seed = 1) {
    bool periodic = std::all_of(t.begin(), t.end(), [](const tone &k) { return k.bin == std::floor(k.bin); });
    std::vector<double> period(static_cast<size_t>(periodic ? block : samples), 0.0);
    for (const tone &k : t)
        for (size_t n = 0; n < period.size(); ++n)
            period[n] += std::real(k.amplitude * std::polar(1.0, 2 * M_PI * k.bin * static_cast<double>(n) / block));
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0, noise > 0 ? noise : 1);  // drawn from only when noise > 0
    std::vector<int32_t> out(static_cast<size_t>(samples));
    for (int64_t n = 0; n < samples; ++n) {
        double v = (noise > 0 ? gauss(random) : 0) + (n >= onset ? period[static_cast<size_t>(n) % period.size()] : 0);
        out[static_cast<size_t>(n)] = static_cast<int32_t>(std::lround(v * 2147483647.0));
    }
    return out;
}

// t through a device of response h (of the frequency in Hz) and a delay.
tones through(tones t, const std::function<cplx(double)> &h, int block, double rate, double delay = 0) {
    for (tone &k : t) k.amplitude *= h(k.bin * rate / block) * std::polar(1.0, -2 * M_PI * k.bin * delay / block);
    return t;
}

struct channel_data {
    std::vector<int32_t> samples;
    multitone_reference reference;
};

multitone_result measured(const std::vector<channel_data> &channels, double rate) {
    std::vector<multitone_input> inputs;
    for (const channel_data &c : channels)
        inputs.push_back(
            {[&c](int64_t first, int64_t count, int32_t *out) { std::copy_n(c.samples.begin() + first, count, out); },
             static_cast<int64_t>(c.samples.size()), c.reference.bins.empty() ? nullptr : &c.reference});
    return measure_multitone(inputs, rate);
}

double db(double power) { return 10 * std::log10(power); }
double degrees(cplx h) { return std::arg(h) * 180 / M_PI; }
double wrap(double d) { return std::remainder(d, 360.0); }

TEST(Multitone, FindsTonesOnlyInAMultitone) {
    tones off_bin = {{100.5, 0.5}};
    std::vector<int32_t> pattern = capture({}, 1024, 1024, 0, 0.1), repeated;
    tones on_a_bed = {{3, 0.3}, {10, 0.3}};  // most bins 85 dB down: a floor too high
    for (int b = 1; b < 2048; ++b)
        if (b != 3 && b != 10 && b != 1024) on_a_bed.push_back({double(b), 0.3 * 5.6e-5});
    for (int k = 0; k < 4; ++k) repeated.insert(repeated.end(), pattern.begin(), pattern.end());
    const std::tuple<const char *, std::vector<int32_t>, size_t> cases[] = {
        {"30 tones", capture(multitone(4096, 30), 4096, 4096), 30},
        {"two tones", capture({{3, 0.3}, {10, 0.3}}, 4096, 4096), 2},
        {"two tones, one halfway up", capture({{3, 0.3}, {1024, 0.3}}, 4096, 4096), 2},
        {"an odd block's top bin", capture({{3, 0.3}, {2047, 0.3}}, 4095, 4095), 2},
        {"channel 0 of 32 interleaved", capture(multitone(4096, 16, 0, 32), 4096, 4096), 16},
        {"a sine and its harmonics", capture({{64, 0.3}, {128, 3e-4}, {192, 3e-4}}, 4096, 4096), 0},
        {"a pattern repeated", repeated, 0},
        {"two tones on a bed of weak ones", capture(on_a_bed, 4096, 4096), 0},
        {"one tone", capture({{100, 0.5}}, 4096, 4096), 0},
        {"a sine off the bins", capture(off_bin, 4096, 4096), 0},
        {"noise", capture({}, 4096, 4096, 0, 0.1), 0},
        {"silence", std::vector<int32_t>(4096), 0},
    };
    for (const auto &[what, block, count] : cases) EXPECT_EQ(find_tones(block).bins.size(), count) << what;
    tones planned = multitone(8192, 40);
    multitone_reference r = find_tones(capture(planned, 8192, 8192));
    ASSERT_EQ(r.bins.size(), planned.size());
    for (size_t t = 0; t < planned.size(); ++t) EXPECT_EQ(r.bins[t], planned[t].bin);
}

TEST(Multitone, ResponseAndPhaseOfAKnownDevice) {
    auto flat = [](double) { return cplx(1); };
    auto inverted = [](double) { return cplx(-0.5); };
    auto lowpass = [](double f) { return 1.0 / (1.0 + cplx(0, f / 3000) - f * f / 3000 / 3000 * 0.9); };
    auto highpass = [](double f) { return cplx(0, f / 80) / (1.0 + cplx(0, f / 80)); };
    struct row {
        const char *what;
        std::function<cplx(double)> h;
        int block;
        double rate, delay;
        int64_t blocks;
        double noise;
        int64_t latency;                 // -1: where the correlation puts it
        std::array<double, 5> iir = {};  // b0 b1 b2 a1 a2: run from rest in place of h
    };
    // Second-order Butterworth by the bilinear transform, corner pre-warped.
    auto butterworth = [](bool low, double corner, double rate) {
        double k = std::tan(M_PI * corner / rate), d = 1 + std::sqrt(2.0) * k + k * k, b = low ? k * k / d : 1 / d;
        return std::array<double, 5>{b, low ? 2 * b : -2 * b, b, 2 * (k * k - 1) / d,
                                     (1 - std::sqrt(2.0) * k + k * k) / d};
    };
    const row cases[] = {
        {"flat, no delay", flat, 4096, 48000, 0, 4, 0, 0},
        {"flat, later than a block", flat, 4096, 48000, 5000, 8, 1e-4, 5000},
        {"inverted", inverted, 8192, 96000, 37, 6, 0, 37},
        {"fraction of a sample", flat, 4096, 48000, 100.3, 4, 0, 100},
        {"lowpass in noise", lowpass, 4096, 48000, 250, 20, 1e-4, -1},
        {"highpass", highpass, 2048, 192000, 1, 10, 0, -1},
        {"20 Hz highpass from rest", {}, 4096, 48000, 300, 12, 1e-6, -1, butterworth(false, 20, 48000)},
        {"15 kHz lowpass from rest", {}, 4096, 96000, 0, 12, 1e-6, -1, butterworth(true, 15000, 96000)},
    };
    for (row c : cases) {
        SCOPED_TRACE(c.what);
        auto q = c.iir;
        if (q[0] != 0)
            c.h = [&](double f) {
                cplx z = std::polar(1.0, -2 * M_PI * f / c.rate);
                return (q[0] + q[1] * z + q[2] * z * z) / (1.0 + q[3] * z + q[4] * z * z);
            };
        tones stimulus = multitone(c.block, 31);
        channel_data ch{capture(through(stimulus, q[0] != 0 ? flat : c.h, c.block, c.rate, c.delay), c.block,
                                c.blocks * c.block, std::lround(c.delay), c.noise),
                        find_tones(capture(stimulus, c.block, c.block))};
        double s1 = 0, s2 = 0;
        for (int32_t &v : ch.samples)
            if (q[0] != 0) {
                double x = v, y = q[0] * x + s1;
                s1 = q[1] * x - q[3] * y + s2, s2 = q[2] * x - q[4] * y, v = static_cast<int32_t>(std::lround(y));
            }
        multitone_result r = measured({ch}, c.rate);
        const multitone_channel &m = r.channels[0];
        ASSERT_EQ(m.why, "");
        if (c.latency >= 0) {
            EXPECT_EQ(m.latency, c.latency);
        }
        ASSERT_GE(m.latency, 0);
        double worst = 0, low = 1e9, high = 0;  // the band's edges fall on tones
        for (double f : m.freq_hz)
            low = f >= 100 ? std::min(low, f) : low, high = f <= 10000 ? std::max(high, f) : high;
        for (size_t t = 0; t < stimulus.size(); ++t) {
            double f = stimulus[t].bin * c.rate / c.block;
            EXPECT_NEAR(m.freq_hz[t], f, 1e-9);
            EXPECT_NEAR(m.gain_db[t], 20 * std::log10(std::abs(c.h(f))), 0.005) << f;
            double response = 20 * std::log10(std::abs(c.h(f) / c.h(m.response_at_hz)));
            EXPECT_NEAR(m.response_db[t], response, 0.005) << f;
            double phase = degrees(c.h(f)) - 360 * f * (c.delay - static_cast<double>(m.latency)) / c.rate;
            EXPECT_NEAR(wrap(m.phase_deg[t] - phase), 0, 0.05) << f;
            if (f >= low && f <= high) worst = std::max(worst, std::fabs(response));
        }
        EXPECT_NEAR(flatness_db(m, low, high), worst, 0.005);
        double nearest = 1e9;
        for (const tone &t : stimulus) nearest = std::min(nearest, std::fabs(t.bin * c.rate / c.block - 1000));
        EXPECT_EQ(std::fabs(m.response_at_hz - 1000), nearest);
    }
    // Of two tones equally near 1 kHz the lower is the reference; a figure
    // that rounds to zero from below prints as zero.
    tones pair = {{98, 0.3}, {102, 0.2}};
    multitone_result r = measured({{capture(pair, 4096, 4 * 4096), find_tones(capture(pair, 4096, 4096))}}, 40960);
    ASSERT_EQ(r.channels[0].why, "");
    EXPECT_EQ(r.channels[0].response_at_hz, 980);
    r.channels[0].gain_db = r.channels[0].response_db = {-4e-4, -1e-9}, r.channels[0].phase_deg = {-4e-3, 0};
    for (const std::string &text : {multitone_table(r, 40960), multitone_json(r, 40960)})
        EXPECT_EQ(text.find("-0.0"), std::string::npos) << text;
}

TEST(Multitone, TdnIsTheDistortionAndNoiseBetweenTheTones) {
    const int block = 4096;
    const std::tuple<double, double> cases[] = {{1e-4, 0}, {1e-6, 1e-3}, {3e-3, 1e-2}, {0, 1e-4}};
    for (const auto &[noise, distortion] : cases) {
        tones stimulus = multitone(block, 25), heard = stimulus;
        heard.push_back({301, distortion});  // between two tones
        channel_data ch{capture(heard, block, 16 * block, 0, noise), find_tones(capture(stimulus, block, block))};
        multitone_result r = measured({ch}, 48000);
        double tones_power = 0;
        for (const tone &t : stimulus) tones_power += std::norm(t.amplitude) / 2;
        double span = (stimulus.back().bin - stimulus.front().bin + 1) / (block / 2.0);
        double truth = db((noise * noise * span + distortion * distortion / 2) / tones_power);
        EXPECT_NEAR(r.channels[0].tdn_db, truth, 0.2) << noise << " " << distortion;
    }
}

TEST(Multitone, ChannelsMatchAndCoupleAsBuilt) {
    // One stimulus on three channels, each with its own gain and skew.
    const int block = 4096;
    const double gains[] = {1, 0.98, 1.03}, skews[] = {0, 0.1, 1.2};
    tones common = multitone(block, 30);
    std::vector<channel_data> same;
    for (int c = 0; c < 3; ++c)
        same.push_back({capture(through(
                                    common, [&](double) { return cplx(gains[c]); }, block, 48000, skews[c]),
                                block, 8 * block, 0, 1e-6),
                        find_tones(capture(common, block, block))});
    multitone_result r = measured(same, 48000);
    double phase = 0;
    for (const tone &t : common)
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                phase = std::max(phase, std::fabs(wrap(360 * t.bin * (skews[i] - skews[j]) / block)));
    EXPECT_NEAR(r.gain_match_db, 20 * std::log10(1.03 / 0.98), 0.005);
    EXPECT_NEAR(r.phase_match_deg, phase, 0.05);
    EXPECT_TRUE(r.crosstalk.empty());
    // Exact channels two samples apart: a tone on a quarter of the block turns by half a period.
    tones quarter = common;
    quarter.push_back({block / 4, 0.1});
    std::vector<int32_t> exact = capture(quarter, block, 5 * block + 2), later = exact;
    later.insert(later.begin(), 2, 0);
    multitone_reference reference = find_tones(capture(quarter, block, block));
    r = measured({{later, reference}, {exact, reference}}, 48000);
    EXPECT_EQ(r.phase_match_deg, 180) << r.match_why;

    // Distinct stimuli on four channels; input i hears coupling[i][j] of
    // output j. The noise floor falls with the blocks averaged: a pair
    // under it at 4 blocks stands clear at 256.
    auto flat = [](double) { return cplx(1); };
    const double coupling[4][4] = {{1, 0, 0, 1e-7}, {1e-2, 1, 0, 0}, {0, 1e-5, 1, 0}, {0, 0, 0, 1}};
    for (int64_t blocks : {4, 256}) {
        std::vector<channel_data> distinct(4);
        std::vector<tones> own;
        for (int j = 0; j < 4; ++j) own.push_back(multitone(1024, 6, j, 4));
        for (int i = 0; i < 4; ++i) {
            tones heard;
            for (int j = 0; j < 4; ++j)
                for (tone t : own[static_cast<size_t>(j)]) heard.push_back({t.bin, t.amplitude * coupling[i][j]});
            distinct[i] = {capture(through(heard, flat, 1024, 48000, 300), 1024, blocks * 1024, 300, 1e-5, i + 1),
                           find_tones(capture(own[i], 1024, 1024))};
        }
        multitone_result x = measured(distinct, 48000);
        ASSERT_EQ(x.crosstalk.size(), 4u);
        EXPECT_TRUE(std::isnan(x.gain_match_db));
        for (const multitone_channel &c : x.channels) EXPECT_EQ(c.latency, 300) << c.latency_why << c.why;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                SCOPED_TRACE(testing::Message() << blocks << " blocks, " << j << " on " << i);
                const crosstalk_cell &cell = x.crosstalk[i][j];
                if (i == j) continue;
                bool visible = coupling[i][j] >= 1e-2 || (coupling[i][j] >= 1e-5 && blocks == 256);
                EXPECT_EQ(cell.below_floor, !visible);
                if (visible)
                    EXPECT_NEAR(cell.db, 20 * std::log10(coupling[i][j]), 0.5);
                else
                    EXPECT_GT(cell.db, 20 * std::log10(std::max(coupling[i][j], 1e-9)));
            }
        // The heat map is drawn in a third panel, and given every cell as
        // measured, with the floor's marks.
        std::string plot = multitone_plot_script(x, {"a", "b", "c", "d"});
        EXPECT_NE(plot.find("layout 3,1\n"), std::string::npos);
        EXPECT_NE(plot.find("\nplot $matrix using 1:2:3 with image, $floor"), std::string::npos);
        std::istringstream matrix(plot.substr(plot.find("$matrix << EOD\n") + 15)),
            floor(plot.substr(plot.find("$floor << EOD\n") + 14));
        for (size_t k = 0; k < 16; ++k) {
            size_t j = 9, i = 9, mark_j = 9, mark_i = 9;
            std::string db;
            matrix >> j >> i >> db;
            ASSERT_EQ(j + 4 * i, k);
            EXPECT_EQ(db, i == j ? "NaN" : std::to_string(x.crosstalk[i][j].db));
            if (i == j || !x.crosstalk[i][j].below_floor) continue;
            floor >> mark_j >> mark_i;
            EXPECT_EQ(mark_j + 4 * mark_i, k);
        }
        std::string end;
        EXPECT_TRUE(matrix >> end && end == "EOD" && floor >> end && end == "EOD");
    }
}

TEST(Multitone, WhatTheCaptureCannotHoldIsNotANumber) {
    const int block = 4096;
    tones stimulus = multitone(block, 20), notched = stimulus, repeating = {{3, 0.3}, {2051, 0.3}};
    notched[5].amplitude = 0;
    auto echo = [](double f) { return 0.5 + 0.48 * std::polar(1.0, -2 * M_PI * f * 40 / 48000); };
    struct row {
        const char *what;
        tones reference;
        std::vector<int32_t> samples;
        const char *why, *latency_why;
        size_t lost_tone;  // whose gain is n/a; 99: none
    };
    const row cases[] = {
        {"silence", stimulus, std::vector<int32_t>(8 * block), "silence", "silence", 99},
        {"short", stimulus, capture(stimulus, block, block - 1), "shorter than one block of the reference",
         "shorter than one block of the reference", 99},
        {"noise alone", stimulus, capture({}, block, 8 * block, 0, 0.01), "no stimulus found", "no stimulus found", 99},
        {"a tone lost in the noise", stimulus, capture(notched, block, 8 * block, 0, 1e-5), "", "", 5},
        {"a latency two samples apart", repeating, capture(repeating, block, 8 * block), "",
         "ambiguous: the correlation has a second peak as high", 99},
        {"an echo nearly as loud 40 samples later", stimulus,
         capture(through(stimulus, echo, block, 48000), block, 8 * block), "",
         "ambiguous: the correlation has a second peak as high", 99},
    };
    for (const row &c : cases) {
        SCOPED_TRACE(c.what);
        multitone_result r = measured({{c.samples, find_tones(capture(c.reference, block, block))}}, 48000);
        const multitone_channel &m = r.channels[0];
        EXPECT_EQ(m.why, c.why);
        EXPECT_EQ(m.latency_why, c.latency_why);
        EXPECT_EQ(m.latency == -1, *c.latency_why != 0);
        EXPECT_EQ(std::isnan(flatness_db(m, 0, 1e6)), *c.why || c.lost_tone != 99);
        EXPECT_EQ(std::isnan(m.tdn_db), *c.why != 0);
        for (size_t t = 0; t < m.gain_db.size(); ++t) {
            EXPECT_EQ(std::isnan(m.gain_db[t]), t == c.lost_tone);
            EXPECT_EQ(std::isnan(m.phase_deg[t]), t == c.lost_tone || *c.latency_why);
        }
    }
    // A channel that only listens and ends blocks before the stimulus settles on another.
    const multitone_reference reference = find_tones(capture(stimulus, block, block));
    multitone_result r = measured(
        {{capture(stimulus, block, 8 * block, 2 * block), reference}, {std::vector<int32_t>(block), {}}}, 48000);
    EXPECT_EQ(r.channels[1].why, "no whole block after the latency");
    // Gains that match say nothing of phases that cannot be known.
    const multitone_reference twice = find_tones(capture(repeating, block, block));
    r = measured({{capture(repeating, block, 8 * block), twice}, {capture(repeating, block, 8 * block), twice}}, 48000);
    EXPECT_TRUE(r.match_why == "a channel without that tone or latency" && std::isnan(r.phase_match_deg));
    // One block is left to settle when two or more remain after it; a channel
    // that only listens follows, from sample 0 too.
    for (int whole : {2, 3}) {
        r = measured({{capture(stimulus, block, whole * block), reference}, {std::vector<int32_t>(whole * block), {}}},
                     48000);
        EXPECT_TRUE(r.channels[0].blocks == 2 && r.channels[1].blocks == 2) << r.channels[1].why;
    }
}

}  // namespace

TEST(MultitoneCommand, ReportsOfTwoChannelsWithTheirOwnTones) {
    // Input 0 through a gentle slope, input 1 flat and hearing -60 dB of
    // output 0; both 10 samples late.
    temp_folder folder;
    tones own0 = {{3, 0.2}, {11, 0.2}, {29, 0.2}},
          own1 = {{5, 0.1}, {13, 0.1}, {17, 0.1}, {41, 0.1}, {67, 0.1}, {97, 0.1}};
    auto slope = [](double f) { return 1.0 / (1.0 + cplx(0, f / 20000)); };
    tones heard1 = own1;
    for (const tone &t : own0) heard1.push_back({t.bin, t.amplitude * 1e-3});
    write_capture(folder / "tones0.raw", capture(own0, 512, 512));
    write_capture(folder / "tones1.raw", capture(own1, 512, 512));
    write_capture(folder / "c0.raw", capture(through(own0, slope, 512, 48000, 10), 512, 8 * 512, 10, 1e-6));
    write_capture(folder / "c1.raw", capture(through(heard1, slope, 512, 48000, 10), 512, 8 * 512, 10, 1e-6, 2));
    heard1.erase(heard1.begin(), heard1.begin() + static_cast<long>(own1.size()));  // input 1 with output 0 alone
    write_capture(folder / "c2.raw", capture(through(heard1, slope, 512, 48000, 10), 512, 8 * 512, 10, 1e-6, 3));
    measure_result r = run_veskmeasure(
        words("--reference tones0.raw --reference tones1.raw --limit flatness<=0.5 --limit flatness[300:5000]<=0.1 "
              "--limit tdn<=-80 --limit latency=10 --limit crosstalk<=-70 --limit phase-match<=1 --json out.json "
              "--junit out.xml c0.raw c1.raw"),
        folder.path);
    EXPECT_EQ(r.status, 1) << r.error;
    EXPECT_EQ(lines_of(r.output), lines_of(text_of(golden / "multitone_case.txt")));
    EXPECT_EQ(lines_of(text_of(folder / "out.json")), lines_of(text_of(golden / "multitone_case.json")));
    EXPECT_EQ(lines_of(text_of(folder / "out.xml")), lines_of(text_of(golden / "multitone_case.xml")));

    // One driven channel's multitone; the other only listens.
    r = run_veskmeasure(
        words("--driven 0 --reference tones0.raw --limit crosstalk=-60+-0.1 --limit flatness<=0.5 c0.raw c2.raw"),
        folder.path);
    EXPECT_EQ(r.status, 0) << r.output << r.error;
    EXPECT_EQ(r.output.find("crosstalk  n/a"), std::string::npos) << r.output;  // the matrix has it
    r = run_veskmeasure(words("--reference tones0.raw --reference tones1.raw --plot out.png c0.raw c1.raw"),
                        folder.path);
    EXPECT_EQ(r.status, 0) << r.error;
    EXPECT_EQ(text_of(folder / "out.png").substr(0, 4), "\x89PNG");
}
