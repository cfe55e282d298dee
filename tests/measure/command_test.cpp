// veskmeasure's command line: bad input, statuses, and the printed, JSON and
// JUnit reports of a small case against their golden files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "measure_support.h"
#include "program_run.h"
#include "temp_folder.h"
#include "text_lines.h"

namespace {

struct small_case {
    temp_folder folder;
    small_case() {
        std::vector<int32_t> x = make_signal({1500, -6, -60, -100, 4096}, 3);
        write_capture(folder / "good.raw", x);
        write_capture(folder / "ref.raw", x);
        write_file(folder / "empty.raw", {});
        write_file(folder / "odd.raw", {1, 2, 3, 4, 5});
    }
};

const std::filesystem::path golden = VESK_MEASURE_GOLDEN;

TEST(MeasureCommand, BadInputIsOneLineAndStatusTwoWithNothingWritten) {
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
        {{"--limit", "loudness<=3", "good.raw"}, "Unknown figure \"loudness\" in limit \"loudness<=3\"."},
        {{"--limit", "worst:latency<=3", "good.raw"}, "Limit \"worst:latency<=3\": latency has no worst window."},
        {{"--limit", "bitexact", "good.raw"}, "Limit \"bitexact\" needs --reference."},
        {{"--limit", "crosstalk<=-90", "good.raw"}, "Limit \"crosstalk<=-90\" needs --driven."},
        {{"--driven", "1", "good.raw"}, "--driven 1 names no channel: there are 1."},
        {{"--frobnicate", "good.raw"}, "Unknown option --frobnicate (see veskmeasure --help)."},
        {{"--json"}, "--json needs a value."},
        {{"--plot", "p.png", "good.raw"},
         "--plot needs gnuplot, which is not installed (Debian package gnuplot-nox).",
         "/nonexistent"},
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

TEST(MeasureCommand, ReportsAndPlotOfASmallCase) {
    small_case c;
    std::ofstream(c.folder / "limits.txt") << "# the usual\nthd<=-50\n\n  snr>=100\n";
    measure_result r =
        run_veskmeasure({"--reference", "ref.raw", "--limits", "limits.txt", "--limit", "bitexact", "--limit",
                         "worst:level=-6+-0.1", "--json", "out.json", "--junit", "out.xml", "good.raw"},
                        c.folder.path);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(lines_of(r.output), lines_of(text_of(golden / "small_case.txt")));
    EXPECT_EQ(lines_of(text_of(c.folder / "out.json")), lines_of(text_of(golden / "small_case.json")));
    EXPECT_EQ(lines_of(text_of(c.folder / "out.xml")), lines_of(text_of(golden / "small_case.xml")));

    r = run_veskmeasure({"--plot", "out.png", "--limit", "thd<=-50", "good.raw"}, c.folder.path);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(lines_of(r.output).back(), "Verdict: PASS, 1 of 1 limits hold.");
    std::vector<uint8_t> png = read_file(c.folder / "out.png");
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
}

}  // namespace
