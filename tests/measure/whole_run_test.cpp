// Whole runs: veskplay plays through vesksim's loopbacks, veskmeasure
// measures the captures and must find what the loopback did to them.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "expected_samples.h"
#include "known_signals.h"
#include "measure_run.h"
#include "program_run.h"
#include "text_lines.h"
#include "vesksim_child.h"

namespace {

constexpr int block = 1024, blocks = 48;

// Plays through the loopback and captures inputs 0 and 1 to capture.raw and
// capture1.raw; play holds veskplay's stimulus options.
void play_through(const std::string &loopback, const temp_folder &work, const std::vector<std::string> &play,
                  const std::string &dut = {})
{
    std::vector<std::string> options = {"--speed", "0"};
    if (!dut.empty())
        options.insert(options.end(), {"--dut", dut});
    vesksim_child server(options);
    std::vector<std::string> args = {"-a", server.address(), "-l", loopback, "-b", std::to_string(blocks),
                                     "-c0", "capture.raw", "-c1", "capture1.raw"};
    args.insert(args.end(), play.begin(), play.end());
    program_result run = run_program(built_program("VESKPLAY"), args, work.path);
    ASSERT_EQ(run.status, 0) << run.output;
}

TEST(WholeRun, BitExactVerdictsOfTheLoopbacks)
{
    temp_folder work;
    std::vector<int32_t> played = playback_pattern(block, 9);
    write_capture(work / "play.raw", played);
    write_capture(work / "reference.raw", joined(std::vector<std::vector<int32_t>>(blocks, played)));
    struct path {
        std::string loopback;
        std::vector<std::string> options;
        bool flip_one;
        int status;
        std::string latency, bitexact;
    };
    const path cases[] = {
        {"server", {}, false, 0, "0 samples (0.000 ms)", "yes (49152 samples)"},
        {"server", {}, true, 1, "0 samples (0.000 ms)", "no (1 of 49152 samples differ, difference -61.97 dBFS)"},
        {"i2s", {"--24bit"}, false, 0, "3 samples (0.062 ms)", "yes (49149 samples)"},
        {"i2s", {"--24bit"}, true, 1, "3 samples (0.062 ms)", "no (1 of 49149 samples differ, difference -61.97 dBFS)"},
        {"i2s", {}, false, 1, "3 samples (0.062 ms)", "no (48957 of 49149 samples differ, difference -140.26 dBFS)"},
    };
    for (const path &p : cases) {
        SCOPED_TRACE(p.loopback + (p.flip_one ? ", one sample flipped" : "") + (p.options.empty() ? "" : ", 24-bit"));
        play_through(p.loopback, work, {"-r0", "play.raw"});
        if (p.flip_one) {
            std::fstream file(work / "capture.raw", std::ios::in | std::ios::out | std::ios::binary);
            int32_t sample = 0;
            file.seekg(4 * 12345).read(reinterpret_cast<char *>(&sample), 4);
            sample ^= 1 << 28;
            file.seekp(4 * 12345).write(reinterpret_cast<const char *>(&sample), 4);
        }
        std::vector<std::string> args = p.options;
        args.insert(args.end(), {"--reference", "reference.raw", "--limit", "bitexact", "capture.raw"});
        measure_result r = run_veskmeasure(args, work.path);
        EXPECT_EQ(r.status, p.status) << r.error;
        std::vector<std::string> lines = lines_of(r.output);
        ASSERT_GE(lines.size(), 11u) << r.output;
        EXPECT_EQ(lines[9], "  latency    " + p.latency);
        EXPECT_EQ(lines[10], "  bitexact   " + p.bitexact);
    }
}

// What vesksim's device under test makes of veskplay's full-scale sine, from
// its model: gain (x - c x^3) + noise, c = 4h / (1 + 3h).
struct dut_truth {
    double gain_db, noise_dbfs, thd_db;
    std::string options() const
    {
        return "gain=" + std::to_string(gain_db) + ",noise=" + std::to_string(noise_dbfs) +
               ",thd=" + (std::isnan(thd_db) ? std::string("off") : std::to_string(thd_db));
    }
    // Limits at the figures' tolerances: level 0.01 dB, THD and THD+N 0.5 dB.
    std::vector<std::string> limits() const
    {
        double a = 8388607.0 / 8388608, g = std::pow(10, gain_db / 20);
        double h = std::isnan(thd_db) ? 0 : std::pow(10, thd_db / 20), c = 4 * h / (1 + 3 * h);
        double fundamental = g * (a - 3 * c * a * a * a / 4), harmonic = g * c * a * a * a / 4;
        double noise = std::pow(10, noise_dbfs / 10) / 2;  // mean square
        double level = 10 * std::log10(fundamental * fundamental + harmonic * harmonic + 2 * noise);
        double thdn = 10 * std::log10((harmonic * harmonic / 2 + noise * 19980 / 24000) / (fundamental * fundamental / 2));
        std::vector<std::string> out = {"--limit", "level=" + std::to_string(level) + "+-0.01",
                                        "--limit", "thdn=" + std::to_string(thdn) + "+-0.5"};
        if (!std::isnan(thd_db))
            out.insert(out.end(), {"--limit", "thd=" + std::to_string(20 * std::log10(harmonic / fundamental)) + "+-0.5"});
        return out;
    }
};

TEST(WholeRun, FindsTheImpairmentsOfTheDeviceUnderTest)
{
    const dut_truth cases[] = {
        {-6, -110, -80}, {-3, -130, -40}, {-6, -140, -100}, {-1, -109.2, NAN}, {-20, -150, -60},
    };
    for (const dut_truth &t : cases) {
        SCOPED_TRACE(t.options());
        temp_folder work;
        play_through("none", work, {"-f", "1000"}, t.options() + ",delay=37");
        std::vector<std::string> args = t.limits();
        args.insert(args.end(), {"--limit", "freq=984.375+-0.01", "capture.raw"});
        measure_result r = run_veskmeasure(args, work.path);
        EXPECT_EQ(r.status, 0) << r.output << r.error;
    }
}

TEST(WholeRun, FindsTheDelayAndTheCrosstalkOfTheDeviceUnderTest)
{
    temp_folder work;
    std::vector<int32_t> played = playback_pattern(block, 4);
    write_capture(work / "play.raw", played);
    write_capture(work / "reference.raw", joined(std::vector<std::vector<int32_t>>(blocks, played)));
    for (int delay : {0, 37, 480}) {
        play_through("none", work, {"-r0", "play.raw"}, "gain=-6,noise=-110,delay=" + std::to_string(delay));
        measure_result r = run_veskmeasure({"--reference", "reference.raw", "--limit", "latency=" + std::to_string(delay),
                                            "capture.raw"}, work.path);
        EXPECT_EQ(r.status, 0) << r.output << r.error;
    }
    write_capture(work / "silence.raw", std::vector<int32_t>(block, 0));
    for (int crosstalk : {-60, -90, -100}) {
        play_through("none", work, {"-f", "1000", "-r1", "silence.raw"},
                     "gain=-6,noise=-110,crosstalk=" + std::to_string(crosstalk));
        measure_result r = run_veskmeasure({"--driven", "0", "--limit", "crosstalk=" + std::to_string(crosstalk) + "+-1",
                                            "capture.raw", "capture1.raw"}, work.path);
        EXPECT_EQ(r.status, 0) << r.output << r.error;
    }
}

}  // namespace
