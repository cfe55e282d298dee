// Whole runs with multitones: veskgen writes the stimuli, veskplay plays them
// through vesksim's device under test, and the measurement must find the
// filters, skew and crosstalk the device was given, by their formulas.
#include <gtest/gtest.h>

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
                              std::to_string(channels), "--dut", dut + ",delay=24,noise=-130"});
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
    for (int skew : {1, 3}) {
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
