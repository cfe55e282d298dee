// Whole runs: veskplay plays through vesksim's loopbacks, veskmeasure
// measures the captures and must find what the loopback did to them.
#include <gtest/gtest.h>

#include <fstream>

#include "expected_samples.h"
#include "known_signals.h"
#include "measure_run.h"
#include "program_run.h"
#include "text_lines.h"
#include "vesksim_child.h"

namespace {

constexpr int block = 1024, blocks = 48;

// Plays play.raw (one block, repeated) on output 0 through the loopback and
// captures input 0 to capture.raw.
void play_through(const std::string &loopback, const temp_folder &work, const std::vector<std::string> &sim = {})
{
    std::vector<std::string> options = {"--speed", "0"};
    options.insert(options.end(), sim.begin(), sim.end());
    vesksim_child server(options);
    program_result run = run_program(built_program("VESKPLAY"),
                                     {"-a", server.address(), "-l", loopback, "-b", std::to_string(blocks),
                                      "-r0", "play.raw", "-c0", "capture.raw", "-c1", "capture1.raw"},
                                     work.path);
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
        {"i2s", {}, false, 1, "3 samples (0.062 ms)", "no (48957 of 49149 samples differ, difference -140.26 dBFS)"},
    };
    for (const path &p : cases) {
        SCOPED_TRACE(p.loopback + (p.flip_one ? ", one sample flipped" : "") + (p.options.empty() ? "" : ", 24-bit"));
        play_through(p.loopback, work);
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

}  // namespace
