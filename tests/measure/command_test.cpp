// veskmeasure's command line: bad input, statuses, and the printed, JSON and
// JUnit reports of a small case against their golden files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "channel_analysis.h"
#include "child_process.h"
#include "command_line.h"
#include "measure_support.h"
#include "measurement.h"
#include "plot.h"
#include "program_run.h"
#include "report_json.h"
#include "report_junit.h"
#include "temp_folder.h"
#include "text_lines.h"

namespace {

struct small_case {
    temp_folder folder;
    small_case() {
        std::vector<int32_t> x = make_signal({1500, -6, -60, -100, 4096}, 3);
        write_capture(folder / "good.raw", x);
        write_capture(folder / "ref.raw", x);
        std::filesystem::create_directory(folder / "dir");
    }
};

const std::filesystem::path golden = VESK_MEASURE_GOLDEN;

// A -6 dBFS tone on bin `bin` of a spectrum of `length`, its second harmonic at -60 dB.
std::vector<int32_t> tone_on_bin(size_t samples, int bin, int length) {
    std::vector<int32_t> x(samples);
    for (size_t n = 0; n < x.size(); ++n) {
        double turns = 2 * M_PI * bin * n / length;
        x[n] = static_cast<int32_t>(std::lround((0.5 * std::sin(turns) + 5e-4 * std::sin(2 * turns)) * 2147483648.0));
    }
    return x;
}

// The highest point of channel 0's plotted spectrum: Hz and dBFS.
std::pair<double, double> plotted_peak(const std::string &script) {
    std::pair<double, double> peak{0, -1000};
    std::istringstream spectrum(script.substr(script.find("$spectrum0 << EOD\n") + 18));
    for (double hz, db; spectrum >> hz >> db;)  // up to the block's end, EOD
        if (db > peak.second) peak = {hz, db};
    return peak;
}

// The rest of the refusals are transcripts; these need a link or a search path.
TEST(MeasureCommand, RefusesAnOutputThatIsAnInputByALinkAndAPlotGnuplotCannotDraw) {
    small_case c;
    std::filesystem::create_symlink("good.raw", c.folder / "link.raw");
    std::filesystem::create_directory(c.folder / "bin");
    std::ofstream(c.folder / "bin" / "gnuplot")
        << "#!/bin/sh\n/bin/cat >/dev/null\necho its own complaint >&2\nexit 1\n";
    std::filesystem::permissions(c.folder / "bin" / "gnuplot", std::filesystem::perms::owner_all);
    const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
        {{"--junit", "./dir/../link.raw", "ref.raw,good.raw"},
         "--junit ./dir/../link.raw would overwrite the input good.raw.",
         ""},
        {{"--plot", "p.png", "good.raw"},
         "--plot needs gnuplot, which is not installed (Debian package gnuplot-nox).",
         "/nonexistent"},
        {{"--plot", "p.png", "good.raw"}, "gnuplot could not draw the plot.", "bin"},
    };
    for (const auto &[args, line, search_path] : cases) {
        measure_result r = run_veskmeasure(args, c.folder.path, search_path);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.error, "veskmeasure: " + line + "\n");
        EXPECT_EQ(read_file(c.folder / "good.raw").size(), 4 * 4096u);
        EXPECT_FALSE(std::filesystem::exists(c.folder / "p.png"));
    }
}

TEST(MeasureCommand, ReportsAndPlotOfASmallCase) {
    small_case c;
    std::ofstream(c.folder / "limits.txt") << "# the usual\nthd<=-50\n\n  snr>=100\n";
    measure_result r =
        run_veskmeasure(words("--reference ref.raw --latency-range 15 --limits limits.txt --limit bitexact "
                              "--limit worst:level=-6+-0.1 --json out.json --junit out.xml good.raw"),
                        c.folder.path);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(lines_of(r.output), lines_of(text_of(golden / "small_case.txt")));
    EXPECT_EQ(lines_of(text_of(c.folder / "out.json")), lines_of(text_of(golden / "small_case.json")));
    EXPECT_EQ(lines_of(text_of(c.folder / "out.xml")), lines_of(text_of(golden / "small_case.xml")));
    EXPECT_EQ(std::filesystem::status(c.folder / "out.json").permissions(), std::filesystem::perms(0644));
    // Weighted, the noise figures say so wherever they appear.
    r = run_veskmeasure(
        words("--weighting a --limit thdn<=-70 --limit noise<=-110 --limit dr>=110 --junit a.xml good.raw"),
        c.folder.path);
    EXPECT_EQ(lines_of(r.output), lines_of(text_of(golden / "small_case_a.txt")));
    EXPECT_EQ(lines_of(text_of(c.folder / "a.xml")), lines_of(text_of(golden / "small_case_a.xml")));
    // A report that nobody can read any more fails the run; the files stay.
    child_process unread(built_program("veskmeasure"), {"--json", "-", "--junit", "u.xml", "good.raw"}, c.folder.path,
                         c.folder / "err", 0, true);
    EXPECT_EQ(exit_status(unread.finish(std::chrono::seconds(30))), 2);
    EXPECT_EQ(text_of(c.folder / "err"), "veskmeasure: Cannot write standard output: Broken pipe.\n");
    EXPECT_TRUE(std::filesystem::exists(c.folder / "u.xml"));

    // A name is data to gnuplot, never a command.
    const std::string name = "a'\nsystem \"touch X\"\n#`touch Y`.raw";
    std::filesystem::copy_file(c.folder / "good.raw", c.folder / name);
    r = run_veskmeasure({"--plot", "out.png", "--limit", "thd<=-50", name}, c.folder.path);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(std::filesystem::exists(c.folder / "X") || std::filesystem::exists(c.folder / "Y"));
    EXPECT_EQ(lines_of(r.output).back(), "Verdict: PASS, 1 of 1 limits hold.");
    std::string png = text_of(c.folder / "out.png");
    EXPECT_EQ(png.substr(0, 4), "\x89PNG");
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x04\xb0\0\0\x01\x40", 8));  // width 1200, height 320
}

// What gnuplot is given to draw: the spectrum with its peak at the tone's
// level (exactly, for a tone on a bin, however short the spectrum), marks
// only on harmonics that are there, the band's edges, the bin width and the
// figures.
TEST(MeasureCommand, PlotShowsTheSpectrumItsMarksAndFigures) {
    temp_folder folder;
    write_capture(folder / "c.raw", tone_on_bin(48000, 341, 16384));
    write_capture(folder / "short.raw", tone_on_bin(1024, 40, 512));
    measure_settings settings;
    settings.noise_weighting = weighting::a;
    measurement m{
        settings, {analyse_channel(open_capture((folder / "c.raw").string()), {48000, 1024, weighting::a})}, {}};
    std::string script = plot_script(m);
    EXPECT_EQ(plotted_peak(script), std::pair(999.023, -6.02));
    size_t wave = script.find("$waveform0 << EOD\n") + 18;  // four periods of the tone
    EXPECT_EQ(std::count(script.begin() + long(wave), script.begin() + long(script.find("EOD", wave)), '\n'), 192);
    measurement short_one{
        settings, {analyse_channel(open_capture((folder / "short.raw").string()), {48000, 1024, weighting::a})}, {}};
    EXPECT_EQ(plotted_peak(plot_script(short_one)), std::pair(3750.0, -6.02));
    EXPECT_NE(script.find("$marks0 << EOD\n999.023 -6.02 \"F\"\n1998.047 -66.02 \"2\"\nEOD\n"), std::string::npos);
    for (const char *drawn :
         {"set arrow from 20, graph 0 to 20, graph 1", "set arrow from 20000, graph 0 to 20000, graph 1",
          "per-bin spectrum, 2.93 Hz bins",
          "set label 1 \"level -6.021 dBFS\\nTHD -60.00 dB\\nTHD+N -58.80 dB(A)\\nnoise -64.82 dBFS(A)\"",
          "set yrange [*:10]"})
        EXPECT_NE(script.find(drawn), std::string::npos) << drawn;
    const char *ranged[] = {"veskmeasure", "--plot-range", "-150:-10", "c.raw"};
    const measure_settings asked = parse_command_line(4, ranged);
    settings.plot_low_db = asked.plot_low_db, settings.plot_high_db = asked.plot_high_db;
    EXPECT_NE(plot_script(m).find("set yrange [-150:-10]"), std::string::npos);
    // Only printable ASCII, quotes doubled.
    EXPECT_EQ(gnuplot_quoted("a'~ \n\x7f\xC3\xA9"), "'a''~ " + std::string(4, '?') + "'");
    // A harmonic is marked only when it stands more than 10 dB over its floor
    // and above one LSB (a power of 2^-63 of full scale).
    for (auto [floor, harmonic] :
         {std::pair{0x1p-20, 10 * 0x1p-20}, {0x1p-20, 10.01 * 0x1p-20}, {0.0, 0x1p-63}, {0.0, 0x1p-62}}) {
        std::vector<double> &bins = m.channels[0].spectrum.bins;
        std::fill(bins.begin(), bins.end(), floor);
        bins[static_cast<size_t>(std::lround(2000 / m.channels[0].spectrum.bin_hz))] = harmonic;
        EXPECT_EQ(plot_script(m).find("\"2\"\n") != std::string::npos, harmonic > 10 * floor + 0x1p-63) << harmonic;
    }
    EXPECT_EQ(plot_script(m).find("\n24000.000 "), std::string::npos);  // equal bins drawn at the first, not the top
    m.channels[0].whole.freq_hz = 12000;                                // its 2nd harmonic in the last bin
    EXPECT_NE(plot_script(m).find("$marks0 << EOD\n12000.000"), std::string::npos);
}

TEST(MeasureCommand, ReportsStayValidForAnyBytesInAName) {
    std::string every_byte;
    for (int b = 1; b < 256; ++b) every_byte += static_cast<char>(b);
    const std::string valid = "\xCE\xA9mega \xE2\x9C\x93";
    const std::string names[] = {every_byte, valid + "\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80\xE2\x82\xEF\xBF\xBF"};
    temp_folder folder;
    for (const std::string &name : names) {
        measure_settings settings;
        limit l = parse_limit("thd<=-50");
        measurement m{settings, {channel_figures()}, {{0, &l, not_measured, false, "no tone"}}};
        m.channels[0].name = name;
        std::ofstream(folder / "r.json") << format_json(m);
        std::ofstream(folder / "r.xml") << format_junit(m);
        child_process python("/usr/bin/env",
                             {"python3", "-c",
                              "import json, sys, xml.dom.minidom\n"
                              "name = json.load(open(sys.argv[1], encoding='utf-8'))['channels'][0]['files']\n"
                              "xml.dom.minidom.parse(sys.argv[2])\n"
                              "sys.stdout.buffer.write(name.encode(sys.argv[3]))\n",
                              (folder / "r.json").string(), (folder / "r.xml").string(),
                              name == every_byte ? "latin-1" : "utf-8"});
        EXPECT_EQ(python.finish(std::chrono::seconds(20)), 0);
        // Bytes that are not UTF-8 come back as the code points of their values, and UTF-8 as itself.
        EXPECT_EQ(python.output().substr(0, name == every_byte ? name.size() : valid.size()),
                  name == every_byte ? name : valid);
    }
}

}  // namespace
