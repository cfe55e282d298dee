// veskgen: the written blocks against their exact spectra, the tone grid,
// and the command line's files, lines and statuses.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <set>
#include <thread>

#include "command_line.h"
#include "gen_error.h"
#include "program_run.h"
#include "stimulus.h"
#include "tone_plan.h"

namespace {

gen_settings parsed(const std::string &command) {
    std::vector<std::string> args = words(command);
    std::vector<const char *> argv{"veskgen"};
    for (const std::string &a : args) argv.push_back(a.c_str());
    return parse_command_line(int(argv.size()), argv.data());
}

// Tones whose 2nd or 3rd harmonic, folded as sampling folds it, lands on
// a tone.
int64_t tones_on_harmonics(const std::vector<int64_t> &bins, int64_t block) {
    std::set<int64_t> tones(bins.begin(), bins.end());
    int64_t count = 0;
    for (int64_t b : bins)
        for (int64_t h : {2, 3}) {
            double cycles = std::fmod(double(b * h), double(block));  // per block, aliased
            count += tones.count(std::llround(std::min(cycles, double(block) - cycles)));
        }
    return count;
}

// Bin b of a block by the plain DFT sum, independent of the program's own.
std::complex<double> dft_bin(const std::vector<int32_t> &x, int64_t b) {
    std::complex<double> sum;
    int64_t n_samples = int64_t(x.size());
    for (int64_t n = 0; n < n_samples; ++n)
        sum += double(x[size_t(n)]) * std::polar(1.0, -2 * M_PI * double(b * n % n_samples) / double(n_samples));
    return sum;
}

double dbfs(double mean_square) { return 10 * std::log10(2 * mean_square / (2147483648.0 * 2147483648.0)); }

TEST(GenSignal, ToneBinsCarryTheAskedLevelAndPhaseAndNothingElseAboveQuantisation) {
    struct row {
        std::string command;
        double tone_dbfs;
        size_t tones;
        double crest_bound_db;
    };
    const row rows[] = {
        {"sine --freq 1000 --level -6 x", -6, 1, 3.02},
        {"sine --freq 23999 --level -0.5 --block 48000 x", -0.5, 1, 3.02},
        {"sine --freq 100 --level -100 --block 16 x", -100, 1, 3.02},
        {"multitone --level -30 x", -30, 30, 8.5},
        {"multitone --total -12 --tones 10 --from 1000 --to 2000 --block 1000 --rate 96000 x",
         -12 - 10 * std::log10(10.0), 10, 5},
        {"multitone --total -15 --per-octave 2 --channels 4 --distinct --block 16384 x", -15 - 10 * std::log10(20.0),
         20, 12},
        {"multitone --level -40 --tones 5 --channels 3 --block 512 x", -40, 5, 9.5},
    };
    for (const row &r : rows) {
        gen_settings s = parsed(r.command);
        std::vector<channel_stimulus> channels = make_stimulus(s);
        ASSERT_EQ(channels.size(), size_t(s.channels)) << r.command;
        std::set<int64_t> all_bins;
        for (const channel_stimulus &c : channels) {
            ASSERT_EQ(c.bins.size(), r.tones) << r.command;
            EXPECT_LE(c.crest_factor_db, r.crest_bound_db) << r.command;
            double n = double(c.samples.size());
            std::vector<double> rest(c.samples.begin(), c.samples.end());
            for (size_t i = 0; i < c.bins.size(); ++i) {
                EXPECT_TRUE(i == 0 || c.bins[i] > c.bins[i - 1]) << r.command;
                std::complex<double> x = dft_bin(c.samples, c.bins[i]);
                EXPECT_NEAR(dbfs(2 * std::norm(x) / (n * n)), r.tone_dbfs, 1e-3) << r.command << " bin " << c.bins[i];
                EXPECT_NEAR(std::remainder(std::arg(x) - c.phases[i], 2 * M_PI), 0, 1e-4) << r.command;
                for (size_t k = 0; k < rest.size(); ++k)
                    rest[k] -=
                        2 / n *
                        std::real(x * std::polar(1.0, 2 * M_PI * double(c.bins[i] * int64_t(k) % int64_t(n)) / n));
            }
            double rest_square = 0;
            for (double v : rest) rest_square += v * v / n;
            // Rounding to whole samples leaves about -195 dBFS; a step at the
            // block's end or a tone off its bin would leave far more.
            EXPECT_LT(dbfs(rest_square), -180) << r.command;
            if (s.distinct) {
                for (int64_t b : c.bins) EXPECT_TRUE(all_bins.insert(b).second) << r.command << " bin " << b;
            } else {
                EXPECT_EQ(c.samples, channels.front().samples) << r.command;
            }
        }
    }
}

TEST(GenSignal, LogGridSpansTheRangeAndAvoidsHarmonicsWhereTheSpacingAllows) {
    struct row {
        tone_grid grid;
        bool room;
    };
    const row rows[] = {
        {{48000, 65536, 20, 20000, 31}, true},
        {{48000, 65536, 20, 20000, 100}, true},
        {{48000, 16384, 100, 20000, 31}, true},
        {{48000, 4096, 200, 20000, 31}, true},
        {{44100, 8192, 50, 15000, 40}, true},
        {{48000, 1024, 1000, 20000, 10}, true},
        // Nearest bins would put tones on octaves, on twelfths, and on folded
        // harmonics above and below (3 x 1183 = 4800 - 1251, 2 x 1725 = 4800 - 1350,
        // 3 x 1352 = 4800 - 744).
        {{48000, 4800, 100, 6400, 7}, true},
        {{44100, 4410, 100, 8100, 5}, true},
        {{48000, 4800, 10000, 14000, 7}, true},
        {{48000, 4800, 13500, 19500, 4}, true},
        {{48000, 4800, 5000, 16500, 7}, true},
        {{48000, 64, 18000, 23999, 7}, false},  // crowded at the top bin
        {{48000, 16, 1, 23999, 7}, false},      // every bin but DC and Nyquist
    };
    for (const row &r : rows) {
        SCOPED_TRACE(testing::Message() << r.grid.rate << " Hz, " << r.grid.block << ", " << r.grid.count << " tones");
        std::vector<int64_t> bins = log_spaced_bins(r.grid);
        ASSERT_EQ(bins.size(), size_t(r.grid.count));
        double width = r.grid.rate / double(r.grid.block);
        EXPECT_NEAR(double(bins.front()) * width, r.grid.from_hz, width);
        EXPECT_NEAR(double(bins.back()) * width, r.grid.to_hz, width);
        for (size_t i = 1; i < bins.size(); ++i) EXPECT_GT(bins[i], bins[i - 1]);
        EXPECT_TRUE(bins.front() > 0 && bins.back() < r.grid.block / 2);  // neither DC nor Nyquist
        int64_t collisions = tones_on_harmonics(bins, r.grid.block);
        EXPECT_EQ(collisions == 0, r.room) << collisions;
        EXPECT_EQ(harmonic_collisions(bins, r.grid.block), collisions);
    }
    EXPECT_THROW(log_spaced_bins({48000, 16, 1, 23999, 8}), gen_error);
}

// The refused forms are in the transcripts.
TEST(GenCommand, ASignalWhileWritingLeavesNoFileAndEndsTheRunByIt) {
    // 262 MB asked for, 32 MB allowed: a run that ignored the signal fails
    // its write at the limit instead of filling the disk.
    constexpr uintmax_t limit = 32 << 20;
    for (int attempt = 0; attempt < 3; ++attempt) {
        temp_folder folder, errors;
        child_process child(built_program("veskgen"), words("sine --block 65536 --blocks 1000 big.raw"), folder.path,
                            errors / "err", limit);
        auto files = [&] { return std::distance(std::filesystem::directory_iterator(folder.path), {}); };
        for (int wait = 0; wait < 5000 && files() == 0 && child.running(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!child.running()) continue;  // it reached the limit before the signal could come: try again
        child.send(SIGTERM);
        int status = child.finish(std::chrono::seconds(5));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        EXPECT_EQ(text_of(errors / "err"), "veskgen: Interrupted: no file written.\n");
        EXPECT_EQ(files(), 0);
        return;
    }
    FAIL() << "veskgen ended before the signal could come, every time";
}

// Every block of every channel's file the same; the lines and the
// description of this run are a transcript.
TEST(GenCommand, WritesEveryChannelWhole) {
    temp_folder folder;
    child_process run(built_program("veskgen"),
                      words("multitone --tones 4 --from 1000 --to 8000 --level -20 --block 64 --blocks 3 "
                            "--channels 2 --distinct ms"),
                      folder.path);
    EXPECT_EQ(exit_status(run.finish(std::chrono::seconds(30))), 0);
    for (const char *name : {"ms.0", "ms.1"}) {
        std::vector<uint8_t> bytes = read_file(folder / name);
        ASSERT_EQ(bytes.size(), 3u * 64 * 4) << name;
        EXPECT_EQ(std::filesystem::status(folder / name).permissions(), std::filesystem::perms(0644)) << name;
        for (size_t b = 1; b < 3; ++b)
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 256, bytes.begin() + b * 256));
    }
    // Lines that nobody can read any more fail the run; the files stay whole.
    child_process unread(built_program("veskgen"), words("sine --block 64 s.raw"), folder.path, folder / "err", 0,
                         true);
    EXPECT_EQ(exit_status(unread.finish(std::chrono::seconds(30))), 2);
    EXPECT_EQ(text_of(folder / "err"), "veskgen: Cannot write standard output: Broken pipe.\n");
    EXPECT_EQ(std::filesystem::file_size(folder / "s.raw"), 256u);
}

}  // namespace
