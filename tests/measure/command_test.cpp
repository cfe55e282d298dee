// veskmeasure's command line: bad input, statuses, and the JSON and JUnit
// reports of a small case, text for text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "known_signals.h"
#include "measure_run.h"
#include "program_run.h"
#include "temp_folder.h"
#include "text_lines.h"

namespace {

struct small_case {
    temp_folder folder;
    small_case()
    {
        std::vector<int32_t> x = make_signal({1500, -6, -60, -100, 4096}, 3);
        write_capture(folder / "good.raw", x);
        write_capture(folder / "ref.raw", x);
        write_file(folder / "empty.raw", {});
        write_file(folder / "odd.raw", {1, 2, 3, 4, 5});
    }
};

std::string text_of(const std::filesystem::path &file)
{
    std::vector<uint8_t> bytes = read_file(file);
    return {bytes.begin(), bytes.end()};
}

TEST(MeasureCommand, BadInputIsOneLineAndStatusTwoWithNothingWritten)
{
    small_case c;
    struct bad {
        std::vector<std::string> args;
        std::string line;
        std::string search_path = {};
    };
    const bad cases[] = {
        {{"missing.raw"}, "Cannot read missing.raw: No such file or directory."},
        {{"good.raw,empty.raw"}, "empty.raw is empty."},
        {{"odd.raw"}, "odd.raw holds 5 bytes, not a whole number of 4-byte samples."},
        {{"--rate", "0", "good.raw"}, "--rate takes a whole number from 1 to 10000000, not \"0\"."},
        {{"--window", "8192", "good.raw"}, "good.raw holds 4096 samples, fewer than the window of 8192."},
        {{"--limit", "thd<-3", "good.raw"}, "Malformed limit \"thd<-3\"."},
        {{"--limit", "level=-6+-", "good.raw"}, "Malformed limit \"level=-6+-\"."},
        {{"--limit", "loudness<=3", "good.raw"}, "Unknown figure \"loudness\" in limit \"loudness<=3\"."},
        {{"--limit", "worst:latency<=3", "good.raw"}, "Limit \"worst:latency<=3\": latency has no worst window."},
        {{"--limit", "bitexact", "good.raw"}, "Limit \"bitexact\" needs --reference."},
        {{"--limit", "crosstalk<=-90", "good.raw"}, "Limit \"crosstalk<=-90\" needs --driven."},
        {{"--driven", "1", "good.raw"}, "--driven 1 names no channel: there are 1."},
        {{"--reference", "empty.raw", "good.raw"}, "empty.raw is empty."},
        {{"--frobnicate", "good.raw"}, "Unknown option --frobnicate (see veskmeasure --help)."},
        {{"--json"}, "--json needs a value."},
        {{"--plot", "p.png", "good.raw"},
         "--plot needs gnuplot, which is not installed (Debian package gnuplot-nox).", "/nonexistent"},
    };
    for (const bad &b : cases) {
        std::vector<std::string> args = {"--json", "out.json", "--junit", "out.xml"};
        args.insert(args.end(), b.args.begin(), b.args.end());
        measure_result r = run_veskmeasure(args, c.folder.path, b.search_path);
        EXPECT_EQ(r.status, 2) << b.line;
        EXPECT_EQ(r.error, "veskmeasure: " + b.line + "\n");
        EXPECT_EQ(r.output, "");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.folder.path), {}), 4) << b.line;
    }
}

TEST(MeasureCommand, ReportsOfASmallCase)
{
    small_case c;
    std::ofstream(c.folder / "limits.txt") << "# the usual\nthd<=-50\n\n  snr>=100\n";
    measure_result r = run_veskmeasure({"--reference", "ref.raw", "--limits", "limits.txt", "--limit", "bitexact",
                                        "--limit", "worst:level=-6+-0.1", "--json", "out.json", "--junit",
                                        "out.xml", "good.raw"},
                                       c.folder.path);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(lines_of(r.output), lines_of(R"x(Channel 0: good.raw (4096 samples, 4 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 3072
  peak       -6.043 dBFS                -6.043 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 2048
  freq       1500.0000 Hz               1500.0000 Hz at sample 3072
  thd        -59.99 dB (0.1 %)          -59.99 dB (0.1 %) at sample 2048
  thdn       -59.99 dB (0.1 %)          -59.99 dB (0.1 %) at sample 2048
  snr        95.77 dB                   95.03 dB at sample 1024
  latency    0 samples (0.000 ms)
  bitexact   yes (4096 samples)
Limits:
  channel 0   thd<=-50                 -59.99 dB (0.1 %)        PASS
  channel 0   snr>=100                 95.77 dB                 FAIL
  channel 0   bitexact                 yes                      PASS
  channel 0   worst:level=-6+-0.1      -6.000 dBFS              PASS
Verdict: FAIL, 1 of 4 limits fail.
)x"));
    EXPECT_EQ(lines_of(text_of(c.folder / "out.json")), lines_of(R"x({
  "rate_hz": 48000,
  "window_samples": 1024,
  "verdict": "FAIL",
  "limits_failed": 1,
  "channels": [
    {
      "channel": 0,
      "files": "good.raw",
      "samples": 4096,
      "windows": 4,
      "figures": {
        "level": {"unit": "dBFS", "whole": -6.000, "worst": -6.000, "worst_at": 3072},
        "peak": {"unit": "dBFS", "whole": -6.043, "worst": -6.043, "worst_at": 0},
        "dc": {"unit": "%", "whole": 0.0000, "worst": 0.0000, "worst_at": 2048},
        "freq": {"unit": "Hz", "whole": 1500.0000, "worst": 1500.0000, "worst_at": 3072},
        "thd": {"unit": "dB", "whole": -59.99, "whole_percent": 0.1001, "worst": -59.99, "worst_percent": 0.1002, "worst_at": 2048},
        "thdn": {"unit": "dB", "whole": -59.99, "whole_percent": 0.1001, "worst": -59.99, "worst_percent": 0.1002, "worst_at": 2048},
        "snr": {"unit": "dB", "whole": 95.77, "worst": 95.03, "worst_at": 1024},
        "latency": {"unit": "samples", "whole": 0, "ms": 0.0000},
        "bitexact": {"whole": true, "compared": 4096, "differing": 0, "difference_dbfs": null}
      },
      "limits": [
        {"limit": "thd<=-50", "worst": false, "measured": -59.99, "verdict": "PASS"},
        {"limit": "snr>=100", "worst": false, "measured": 95.77, "verdict": "FAIL"},
        {"limit": "bitexact", "worst": false, "measured": true, "verdict": "PASS"},
        {"limit": "worst:level=-6+-0.1", "worst": true, "measured": -6.000, "verdict": "PASS"}
      ]
    }
  ]
}
)x"));
    EXPECT_EQ(lines_of(text_of(c.folder / "out.xml")), lines_of(R"x(<?xml version="1.0" encoding="UTF-8"?>
<testsuites name="veskmeasure" tests="4" failures="1">
  <testsuite name="veskmeasure" tests="4" failures="1">
    <testcase classname="channel 0 (good.raw)" name="thd&lt;=-50"/>
    <testcase classname="channel 0 (good.raw)" name="snr&gt;=100">
      <failure message="measured 95.77 dB"/>
    </testcase>
    <testcase classname="channel 0 (good.raw)" name="bitexact"/>
    <testcase classname="channel 0 (good.raw)" name="worst:level=-6+-0.1"/>
  </testsuite>
</testsuites>
)x"));
}

TEST(MeasureCommand, PlotIsAPng)
{
    small_case c;
    measure_result r = run_veskmeasure({"--plot", "out.png", "--limit", "thd<=-50", "good.raw"}, c.folder.path);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(lines_of(r.output).back(), "Verdict: PASS, 1 of 1 limits hold.");
    std::vector<uint8_t> png = read_file(c.folder / "out.png");
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
}

}  // namespace
