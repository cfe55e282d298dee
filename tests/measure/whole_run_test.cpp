// Whole runs: veskplay plays through vesksim's loopbacks, veskmeasure
// measures the captures and must find what the loopback did to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "expected_samples.h"
#include "measure_support.h"
#include "program_run.h"
#include "text_lines.h"
#include "vesksim_child.h"

namespace {

constexpr int block = 1024, blocks = 48;

// veskplay's stimulus options through a loopback, vesksim's device under test
// (none when empty), and veskmeasure's arguments for the captures of inputs 0
// and 1 (capture.raw and capture1.raw).
struct whole_run {
    std::string loopback;
    std::vector<std::string> play, measure;
    std::string dut = {};
};

// A playback file, the capture it should give, and a silent block.
struct stimulus_folder : temp_folder {
    stimulus_folder() {
        std::vector<int32_t> played = playback_pattern(block, 9);
        write_capture(*this / "play.raw", played);
        write_capture(*this / "reference.raw", joined(std::vector<std::vector<int32_t>>(blocks, played)));
        write_capture(*this / "silence.raw", std::vector<int32_t>(block, 0));
    }
};

// Plays, flips one bit of capture.raw when asked, and measures.
measure_result measured_run(const whole_run &w, const temp_folder &work, bool flip_one = false) {
    vesksim_child server(w.dut.empty() ? std::vector<std::string>{"--speed", "0"}
                                       : std::vector<std::string>{"--speed", "0", "--dut", w.dut});
    program_result run = run_program(built_program("veskplay"),
                                     concat({"-a", server.address(), "-l", w.loopback, "-b", std::to_string(blocks),
                                             "-c0", "capture.raw", "-c1", "capture1.raw"},
                                            w.play),
                                     work.path);
    EXPECT_EQ(run.status, 0) << run.output;
    if (flip_one) {  // bit 28 of sample 12345, in host (little-endian) order
        std::vector<uint8_t> bytes = read_file(work / "capture.raw");
        bytes[4 * 12345 + 3] ^= 0x10;
        write_file(work / "capture.raw", bytes);
    }
    return run_veskmeasure(w.measure, work.path);
}

TEST(WholeRun, BitExactVerdictsOfTheLoopbacks) {
    stimulus_folder work;
    // The reference repeats every block: only a range within half a block makes its lag unique.
    const std::vector<std::string> bitexact = {"--reference", "reference.raw", "--latency-range", "500",
                                               "--limit",     "bitexact",      "capture.raw"};
    const std::tuple<std::string, bool, bool, int, std::string, std::string> cases[] = {
        {"server", false, false, 0, "0 samples (0.000 ms)", "yes (49152 samples)"},
        {"server", false, true, 1, "0 samples (0.000 ms)", "no (1 of 49152 samples differ, difference -61.97 dBFS)"},
        {"i2s", true, false, 0, "3 samples (0.062 ms)", "yes (49149 samples)"},
        {"i2s", true, true, 1, "3 samples (0.062 ms)", "no (1 of 49149 samples differ, difference -61.97 dBFS)"},
        {"i2s", false, false, 1, "3 samples (0.062 ms)", "no (48957 of 49149 samples differ, difference -140.26 dBFS)"},
    };
    for (const auto &[loopback, bits24, flip_one, status, latency, verdict] : cases) {
        SCOPED_TRACE(loopback + (flip_one ? ", one sample flipped" : "") + (bits24 ? ", 24-bit" : ""));
        measure_result r = measured_run(
            {loopback, {"-r0", "play.raw"}, bits24 ? concat({"--24bit"}, bitexact) : bitexact}, work, flip_one);
        EXPECT_EQ(r.status, status) << r.error;
        std::vector<std::string> lines = lines_of(r.output);
        auto at = std::find(lines.begin(), lines.end(), "  latency    " + latency);
        ASSERT_LT(at + 1, lines.end()) << r.output;
        EXPECT_EQ(at[1], "  bitexact   " + verdict);
    }
}

// What vesksim's device under test makes of veskplay's full-scale sine, from
// its model: gain (x - c x^3) + noise, c = 4h / (1 + 3h); limits at the
// figures' tolerances: level 0.01 dB, THD and THD+N 0.5 dB.
whole_run impaired_sine(double gain_db, double noise_dbfs, double thd_db) {
    double a = 8388607.0 / 8388608, g = std::pow(10, gain_db / 20);
    double h = std::isnan(thd_db) ? 0 : std::pow(10, thd_db / 20), c = 4 * h / (1 + 3 * h);
    double fundamental = g * (a - 3 * c * a * a * a / 4), harmonic = g * c * a * a * a / 4;
    double noise = std::pow(10, noise_dbfs / 10) / 2;  // mean square
    double level = 10 * std::log10(fundamental * fundamental + harmonic * harmonic + 2 * noise);
    double thdn = 10 * std::log10((harmonic * harmonic / 2 + noise * 19980 / 24000) / (fundamental * fundamental / 2));
    std::string thd = std::isnan(thd_db) ? "off" : std::to_string(thd_db);
    whole_run w{"none",
                {"-f", "1000"},
                {"--limit", "level=" + std::to_string(level) + "+-0.01", "--limit",
                 "thdn=" + std::to_string(thdn) + "+-0.5", "--limit", "freq=984.375+-0.01"},
                "gain=" + std::to_string(gain_db) + ",noise=" + std::to_string(noise_dbfs) + ",thd=" + thd +
                    ",delay=37"};
    if (!std::isnan(thd_db))
        w.measure.insert(w.measure.end(),
                         {"--limit", "thd=" + std::to_string(20 * std::log10(harmonic / fundamental)) + "+-0.5"});
    w.measure.push_back("capture.raw");
    return w;
}

whole_run delayed(int delay) {
    return {"none",
            {"-r0", "play.raw"},
            {"--reference", "reference.raw", "--latency-range", "500", "--limit", "latency=" + std::to_string(delay),
             "capture.raw"},
            "gain=-6,noise=-110,delay=" + std::to_string(delay)};
}

whole_run crosstalk(int db) {
    return {"none",
            {"-f", "1000", "-r1", "silence.raw"},
            {"--driven", "0", "--limit", "crosstalk=" + std::to_string(db) + "+-1", "capture.raw", "capture1.raw"},
            "gain=-6,noise=-110,crosstalk=" + std::to_string(db)};
}

// White noise of -100 dBFS over 0 to 24 kHz: its share in the band, idle
// (veskplay -z) or under a -60 dBFS tone, whose dr is that share negated.
whole_run band_noise_run(bool tone, weighting w) {
    double noise = -100 + 10 * std::log10(white_noise_share(48000, w));
    whole_run run{"none",
                  tone ? std::vector<std::string>{"-f", "1000", "-m", "0.001"} : std::vector<std::string>{"-z"},
                  {"--weighting", weighting_name(w), "--limit", "noise=" + std::to_string(noise) + "+-0.2"},
                  "gain=0,noise=-100"};
    if (tone) run.measure.insert(run.measure.end(), {"--limit", "dr=" + std::to_string(-noise) + "+-0.2"});
    run.measure.push_back("capture.raw");
    return run;
}

TEST(WholeRun, FindsWhatTheDeviceUnderTestDid) {
    stimulus_folder work;
    std::vector<whole_run> cases = {impaired_sine(-6, -110, -80), impaired_sine(-3, -130, -40),
                                    impaired_sine(-6, -140, -100), impaired_sine(-1, -109.2, NAN),
                                    impaired_sine(-20, -150, -60)};
    for (int delay : {0, 37, 480}) cases.push_back(delayed(delay));
    for (int db : {-60, -90, -100}) cases.push_back(crosstalk(db));
    for (weighting w : {weighting::none, weighting::a})
        for (bool tone : {false, true}) cases.push_back(band_noise_run(tone, w));
    for (const whole_run &w : cases) {
        measure_result r = measured_run(w, work);
        EXPECT_EQ(r.status, 0) << w.dut << " " << w.play[0] << "\n" << r.output << r.error;
    }
}

}  // namespace
