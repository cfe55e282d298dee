// Whole runs with multitones: veskgen writes the stimuli, veskplay plays them
// through vesksim's device under test, and the measurement must find the
// filters, skew and crosstalk the device was given, by their formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "capture_source.h"
#include "measure_support.h"
#include "multitone_run.h"
#include "program_run.h"
#include "vesksim_child.h"

namespace {

constexpr int block = 4096, blocks = 12;
constexpr double rate = 48000, delay = 24;

// veskgen's files (tones.raw, or tones.raw.0 ... with several channels),
// played on every channel through the device, captured as c0.raw ...
struct tone_run : temp_folder {
    std::vector<std::string> references, captures;
    tone_run(int channels, bool distinct, const std::string &dut) {
        std::vector<std::string> gen = {"multitone", "--block", std::to_string(block), "tones.raw"};
        if (distinct) gen.insert(gen.begin() + 1, {"--channels", std::to_string(channels), "--distinct"});
        program_result made = run_program(built_program("veskgen"), gen, path);
        EXPECT_EQ(made.status, 0) << made.output;
        vesksim_child server({"--speed", "0", "--outputs", std::to_string(channels), "--inputs",
                              std::to_string(channels), "--dut", "delay=24,noise=-130," + dut});
        std::vector<std::string> play = {"-a", server.address(),      "-s", std::to_string(block),
                                         "-b", std::to_string(blocks)};
        for (int c = 0; c < channels; ++c) {
            references.push_back(distinct ? "tones.raw." + std::to_string(c) : "tones.raw");
            captures.push_back("c" + std::to_string(c) + ".raw");
            play.insert(play.end(),
                        {"-r" + std::to_string(c), references.back(), "-c" + std::to_string(c), captures.back()});
        }
        program_result played = run_program(built_program("veskplay"), play, path);
        EXPECT_EQ(played.status, 0) << played.output;
    }
    multitone_result measured() const {
        measure_settings settings;
        std::vector<capture_source> refs, caps;
        for (size_t c = 0; c < captures.size(); ++c) {
            settings.channels.push_back(captures[c]);
            caps.push_back(open_capture((path / captures[c]).string()));
            refs.push_back(open_capture((path / references[c]).string()));
        }
        settings.references = references;
        return measure_multitone_files(caps, plan_references(settings, refs), rate);
    }
};

// The device's sections as its manual states them, W = tan(pi f/rate) / K.
std::complex<double> section(double f, double corner, bool low) {
    double w = std::tan(M_PI * f / rate) / std::tan(M_PI * corner / rate);
    double phase = -std::atan2(std::sqrt(2.0) * w, 1 - w * w);
    return low ? std::polar(1 / std::sqrt(1 + w * w * w * w), phase)
               : std::polar(w * w / std::sqrt(1 + w * w * w * w), M_PI + phase);
}

TEST(MultitoneRun, ResponseAndPhaseOfTheFilters) {
    const std::tuple<double, double> cases[] = {{1000, 0}, {0, 100}, {15000, 40}};
    for (const auto &[lowpass, highpass] : cases) {
        std::string dut = "gain=0";
        if (lowpass) dut += ",lowpass=" + std::to_string(lowpass);
        if (highpass) dut += ",highpass=" + std::to_string(highpass);
        SCOPED_TRACE(dut);
        multitone_result r = tone_run(1, false, dut).measured();
        const multitone_channel &m = r.channels[0];
        ASSERT_EQ(m.why, "");
        ASSERT_GE(m.latency, 0) << m.latency_why;
        auto h = [&](double f) {
            return (lowpass ? section(f, lowpass, true) : 1.0) * (highpass ? section(f, highpass, false) : 1.0);
        };
        for (size_t t = 0; t < m.freq_hz.size(); ++t) {
            double f = m.freq_hz[t];
            EXPECT_NEAR(m.response_db[t], 20 * std::log10(std::abs(h(f) / h(m.response_at_hz))), 0.02) << f;
            double phase = std::arg(h(f)) * 180 / M_PI - 360 * f * (delay - static_cast<double>(m.latency)) / rate;
            EXPECT_NEAR(std::remainder(m.phase_deg[t] - phase, 360), 0, 0.5) << f;
        }
    }
}

TEST(MultitoneRun, SkewIsAPhaseMismatch) {
    for (int skew : {0, 1, 3}) {
        tone_run run(2, false, "skew=" + std::to_string(skew));
        multitone_result r = run.measured();
        double worst = 0;
        for (double f : r.channels[0].freq_hz)
            worst = std::max(worst, std::fabs(std::remainder(360 * f * skew / rate, 360)));
        EXPECT_NEAR(r.phase_match_deg, worst, 0.5) << skew;
        EXPECT_NEAR(r.gain_match_db, 0, 0.01) << skew;
        // The same through the program, as a limit.
        measure_result program = run_veskmeasure({"--reference", "tones.raw", "--limit",
                                                  "phase-match=" + std::to_string(worst) + "+-0.5", "c0.raw", "c1.raw"},
                                                 run.path);
        EXPECT_EQ(program.status, 0) << program.output << program.error;
    }
}

// tdn against the device's model. Noise of RMS r dBFS (0 dBFS the RMS of a
// full-scale sine) has a mean square of 10^(r/10) / 2 of full scale squared,
// white, so each of the block/2 bins holds its share; tdn scales the
// between-tone bins up to every bin of the tones' span. Distortion: x - c x^3
// (c = 4h / (1 + 3h)) of a stimulus that repeats every block repeats too,
// so its spectrum is exactly the DFT of one block of it. On a multitone the
// cube gives not only each tone's third harmonic but every sum and
// difference of three tones; those falling between the tones are read,
// scaled to the span as the noise is, against the power at the tones.
TEST(MultitoneRun, TdnIsWhatTheDevicesNoiseAndDistortionSet) {
    const std::tuple<double, double> cases[] = {{-100, -200}, {-130, -40}, {-110, -60}};  // noise, thd (dB)
    for (const auto &[noise_db, thd_db] : cases) {
        std::string dut = "gain=0,noise=" + std::to_string(noise_db);
        if (thd_db > -200) dut += ",thd=" + std::to_string(thd_db);
        SCOPED_TRACE(dut);
        tone_run run(1, false, dut);
        capture_source source = open_capture((run.path / "tones.raw").string());
        std::vector<int32_t> x(static_cast<size_t>(source.samples));
        read_samples(source, 0, source.samples, x.data());
        std::vector<int> bins = find_tones(x).bins;
        ASSERT_GT(bins.size(), 10u);
        double h = std::pow(10, thd_db / 20), c = 4 * h / (1 + 3 * h);
        std::vector<std::complex<double>> turn(x.size());
        for (size_t n = 0; n < x.size(); ++n) turn[n] = std::polar(1.0, -2 * M_PI * n / block);
        double tones = 0, between = 0;
        for (int k = bins.front(); k <= bins.back(); ++k) {
            std::complex<double> sum = 0;
            for (size_t n = 0; n < x.size(); ++n) {
                double v = x[n] / 2147483648.0;
                sum += (v - c * v * v * v) * turn[n * static_cast<size_t>(k) % x.size()];
            }
            double power = 2 * std::norm(sum / static_cast<double>(block));
            (std::binary_search(bins.begin(), bins.end(), k) ? tones : between) += power;
        }
        double span = bins.back() - bins.front() + 1, others = span - static_cast<double>(bins.size());
        double noise = std::pow(10, noise_db / 10) / 2 * span / (block / 2);
        double truth = 10 * std::log10((between * span / others + noise) / tones);
        EXPECT_NEAR(run.measured().channels[0].tdn_db, truth, 1) << truth;
    }
}

TEST(MultitoneRun, CrosstalkMatrixOfNeighbours) {
    for (int db : {-60, -100}) {
        multitone_result r = tone_run(4, true, "crosstalk=" + std::to_string(db)).measured();
        ASSERT_EQ(r.crosstalk.size(), 4u);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                if (i == j) continue;
                SCOPED_TRACE(testing::Message() << db << " dB, " << j << " on " << i);
                const crosstalk_cell &cell = r.crosstalk[i][j];
                EXPECT_EQ(cell.below_floor, std::abs(i - j) > 1);
                if (std::abs(i - j) == 1)
                    EXPECT_NEAR(cell.db, db, 1);
                else
                    EXPECT_LT(cell.db, -110);
            }
    }
}

}  // namespace
