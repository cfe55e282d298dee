// Whole runs against the fake device: what is staged (flags, channel masks,
// block counts, tags, payload samples), the stimulus lines, the playback
// files and the summary.
#include <gtest/gtest.h>

#include "whole_run.h"

namespace {

using lines = std::vector<std::string>;

const std::string rev_b = "Rev C3+ features not supported; assuming Rev B hardware.";

// The transcript from the line after the set-up up to "In progress.".
lines planning_lines(const whole_run &run) {
    lines all = run.lines();
    auto start = std::find(all.begin(), all.end(), rev_b), end = std::find(all.begin(), all.end(), "In progress.");
    return start < end && end != all.end() ? lines(start + 1, end + 1) : lines{};
}

lines summary(const whole_run &run, const lines &segments, int block_size) {
    lines text = {"Server at " + run.address + ".", "No loopback.",
                  "Data sequence (all blocks have " + std::to_string(block_size) + " samples):"};
    return concat(concat(text, segments), {"Response will be captured during portions of sequence marked with (*)"});
}

TEST(WholeRun, StagesEverySegmentUnderItsTagAndSummarisesIt) {
    const std::string sine_0 = "Channel 0 stimulus data is a 750.00 Hz sine wave.";
    const struct {
        std::string args;
        uint32_t outputs;
        lines before_summary;  // from the first line after the set-up
        lines segments;        // the summary's segment lines
        lines staged;          // every STAGE request after the reset
        lines after_summary = {"In progress."};
        int block_size = 64;
    } cases[] = {
        {"-p -b 5",
         1,
         {"Adding 53 quiet blocks to meet synchronization requirements", sine_0},
         {"  63 preceding quiet blocks (*)", "  1 junk block (*)", "  5 data blocks (*)",
          "  1 following quiet block (*)"},
         {"STAGE 0x100 0 63 1 len=0", "STAGE 0x100 0x1 1 2 len=256", "STAGE 0x100 0x1 5 3 len=256",
          "STAGE 0x100 0 1 4 len=0"}},
        // Ramps count toward synchronisation.
        {"-w -f 750 -e 2",
         1,
         {"Adding 52 quiet blocks to meet synchronization requirements", sine_0},
         {"  62 preceding quiet blocks", "  1 ramp-up block", "  1 junk block", "  100 data blocks (*)",
          "  1 ramp-down block", "  2 following quiet blocks"},
         {"STAGE 0x1100 0 62 1 len=0", "STAGE 0x1100 0x1 1 2 len=256", "STAGE 0x1100 0x1 1 3 len=256",
          "STAGE 0x100 0x1 100 4 len=256", "STAGE 0x1100 0x1 1 5 len=256", "STAGE 0x1100 0 2 6 len=0"}},
        // Extended mode drops the ramps.
        {"-x -w -r0 one.raw -q 70",
         1,
         {"Warning: ramp-up and ramp-down not supported in extended mode; ignoring", "one.raw contains 2 full blocks",
          "The length of the output sequence will be set to 2 blocks", "Channel 0 stimulus data is external input."},
         {"  70 preceding quiet blocks", "  2 blocks of an extended audio sequence (*)", "  1 following quiet block"},
         {"STAGE 0x1100 0 70 1 len=0", "STAGE 0x100 0x1 1 2 len=256", "STAGE 0x100 0x1 1 2 len=256",
          "STAGE 0x1100 0 1 3 len=0"}},
        // A looped sequence flags its first block.
        {"-xl -r1 two.raw -z -q 40",
         2,
         {"two.raw contains 2 full blocks", "The length of the output sequence will be set to 2 blocks",
          "Channel 0 stimulus data is silence", "Channel 1 stimulus data is external input."},
         {"  40 preceding quiet blocks", "  2 blocks of a looped extended audio sequence (*)",
          "  1 following quiet block"},
         {"STAGE 0x1100 0 40 1 len=0", "STAGE 0x8100 0x2 1 2 len=256", "STAGE 0x100 0x2 1 2 len=256",
          "STAGE 0x1100 0 1 3 len=0"}},
        // A silent extended sequence still takes a tag.
        {"-x -z -q 70 -p",
         1,
         {"Channel 0 stimulus data is silence"},
         {"  70 preceding quiet blocks (*)", "  0 blocks of an extended audio sequence (*)",
          "  1 following quiet block (*)"},
         {"STAGE 0x100 0 70 1 len=0", "STAGE 0x100 0 1 3 len=0"}},
        {"-qq 0 -j 0 -e 0 -b 1 -tu",
         1,
         {sine_0},
         {"  1 data block (*)"},
         {"STAGE 0x100 0x1 1 1 len=256"},
         {"WARNING: Synchronization suppressed; capture blocks will be unaligned with playback blocks",
          "In progress."}},
        // An exact shortfall gets one block more.
        {"-q 0 -s 1000 -j -3",
         2,
         {"Adding 3 quiet blocks to meet synchronization requirements",
          "Channel 0 stimulus data is a 432.00 Hz sine wave.", "Channel 1 stimulus data is a 432.00 Hz sine wave."},
         {"  3 preceding quiet blocks", "  100 data blocks (*)", "  1 following quiet block"},
         {"STAGE 0x1100 0 3 1 len=0", "STAGE 0x100 0x3 100 2 len=8000", "STAGE 0x1100 0 1 3 len=0"},
         {"In progress."},
         1000},
        // No output channels, no padding.
        {"-q 0",
         0,
         {},
         {"  1 junk block", "  100 data blocks (*)", "  1 following quiet block"},
         {"STAGE 0x1100 0 1 1 len=0", "STAGE 0x100 0 100 2 len=0", "STAGE 0x1100 0 1 3 len=0"}},
    };
    temp_folder work;
    for (const char *name : {"one.raw", "two.raw"}) write_file(work / name, std::vector<uint8_t>(2 * 64 * 4, 7));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args);
        whole_run run = run_veskplay({.outputs = c.outputs}, concat({"-s", "64"}, words(c.args)), work.path);

        EXPECT_EQ(run.result.status, 0);
        EXPECT_EQ(planning_lines(run),
                  concat(concat(c.before_summary, summary(run, c.segments, c.block_size)), c.after_summary));
        EXPECT_EQ(describe(run.staged()), concat({"STAGE 0x800 0 0 0 len=0"}, c.staged));
    }
}

// The samples staged under the tag, in order.
std::vector<int32_t> data_samples(const whole_run &run, uint32_t tag) {
    std::vector<int32_t> samples;
    for (const fake::request &r : run.staged())
        if (r.arg3 == tag && r.arg0 != VESK_STAGE_RESET) samples = joined({samples, fake::payload_samples(r)});
    return samples;
}

std::vector<int32_t> framing_pattern(int n) {
    std::vector<int32_t> samples;
    for (int i = 0; i < n; ++i) samples.push_back(int32_t(0x7FFF0000u | uint32_t(i)));
    return samples;
}

// What each channel plays: its stimulus line and the data segment's samples.
TEST(WholeRun, StimulusIsNamedAndSent) {
    // Block b of the extended sequence holds block b of each file, the short ones padded with silence.
    std::vector<int32_t> first = playback_pattern(160, 1), shorter = playback_pattern(64, 1),
                         equal = playback_pattern(138, 3), extended;
    for (std::vector<int32_t> *file : {&first, &shorter, &equal}) file->resize(3 * 64, 0);
    for (std::ptrdiff_t b = 0; b < 3 * 64; b += 64)
        for (const std::vector<int32_t> &file : {first, playback_pattern(64 * 3, 2), shorter, equal})
            extended.insert(extended.end(), file.begin() + b, file.begin() + b + 64);
    const struct {
        std::vector<std::string> args;
        lines stimulus;             // each channel's, after "Channel N stimulus data is "
        std::vector<int32_t> data;  // the data segment's samples; empty: no payload
        fake_device device = {};
        lines notices = {};  // before the stimulus lines
        std::string read = "READ 0x1 0xa 0 0 len=0";
    } cases[] = {
        // 4 whole cycles: a quarter cycle lands exactly on sample 4.
        {{"-f", "3000"}, {"a 3000.00 Hz sine wave."}, sine(64, 4, 1.0)},
        {{"-f", "1125", "-m", "0.5"}, {"a 1500.00 Hz sine wave."}, sine(64, 2, 0.5)},  // half a cycle rounds up
        {{"-f", "20"}, {"a 0.00 Hz sine wave."}, repeated(64, 0)},
        {{"-tf"}, {"non-audio framing pattern."}, framing_pattern(64)},
        {{"-td", "-1.0"}, {"DC level (0x80000100, approximately 0.00V)."}, repeated(64, int32_t(0x80000100u))},
        {{"-td", "0.5"}, {"DC level (0x3FFFFF00, approximately 3.75V)."}, repeated(64, 0x3FFFFF00)},
        {{"-td", "0.5", "-m", "0"}, {"DC level (0x00000000, approximately 2.50V)."}, repeated(64, 0)},
        {{"-z"}, {"silence"}, {}},
        // Framing pattern wins over DC level, and DC level over silence.
        {{"-z", "-td", "0.5", "-tf"}, {"non-audio framing pattern."}, framing_pattern(64)},
        {{"-z", "-td", "1.0"}, {"DC level (0x7FFFFF00, approximately 5.00V)."}, repeated(64, 0x7FFFFF00)},
        // Normal mode plays the first block of each file.
        {{"-f", "3000", "-r0", "exact.raw", "-r2", "longer.raw"},
         {"external input.", "a 3000.00 Hz sine wave.", "external input."},
         joined({playback_pattern(64, 1), sine(64, 4, 1.0), playback_pattern(64, 2)}),
         {.outputs = 3}},
        // Only the first 32 channels of a larger server are served.
        {{"-z"},
         lines(32, "silence"),
         {},
         {.outputs = 40, .inputs = 33},
         {"Server reports 40 output channels; only channels 0..31 are used.",
          "Server reports 33 input channels; only channels 0..31 are used."},
         "READ 0xffffffff 0xa 0 0 len=0"},
        // Extended mode cuts every file into blocks of the first one's length and plays them side by side.
        {{"-x", "-r0", "first.raw", "-r1", "long.raw", "-r2", "exact.raw", "-r3", "equal.raw"},
         lines(4, "external input."),
         extended,
         {.outputs = 4},
         {"first.raw contains 2 full blocks and a remnant of 128 bytes",
          "The length of the output sequence will be set to 3 blocks", "long.raw contains 5 full blocks",
          "long.raw is longer than first playback file; truncating to 3 blocks", "exact.raw contains 1 full blocks",
          "exact.raw is shorter than first playback file; will be silence-padded to 3 blocks",
          "equal.raw contains 2 full blocks and a remnant of 40 bytes"}},
    };
    temp_folder work;
    write_file(work / "exact.raw", host_order_bytes(playback_pattern(64, 1)));
    write_file(work / "longer.raw", host_order_bytes(playback_pattern(100, 2)));
    write_file(work / "first.raw", host_order_bytes(playback_pattern(160, 1)));  // a remnant of 32 samples
    write_file(work / "long.raw", host_order_bytes(playback_pattern(64 * 5, 2)));
    write_file(work / "equal.raw", host_order_bytes(playback_pattern(138, 3)));  // as many blocks as first.raw
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        lines args = concat({"-s", "64", "-qq", "0", "-j", "0", "-e", "0", "-b", "1"}, c.args);
        whole_run run = run_veskplay(c.device, args, work.path);

        EXPECT_EQ(run.result.status, 0);
        lines want = c.notices;
        for (std::size_t ch = 0; ch < c.stimulus.size(); ++ch)
            want.push_back("Channel " + std::to_string(ch) + " stimulus data is " + c.stimulus[ch]);
        EXPECT_EQ(first_lines(run.lines(), want.size() + 2),
                  concat(concat({rev_b}, want), {"Server at " + run.address + "."}));
        EXPECT_EQ(data_samples(run, 1), c.data);
        EXPECT_EQ(describe(with_command(run.requests, VESK_CMD_READ_INPUT)).at(0), c.read);
    }
}

TEST(WholeRun, RefusedPlaybackFileEndsAtOnceWithStatusOne) {
    const std::string kernel_file = "/sys/devices/system/cpu/online";    // holds less than its size says
    const bool have_kernel_file = std::filesystem::exists(kernel_file);  // not in every container
    const struct {
        std::string args;
        lines last;  // the transcript's last lines
        std::string shell_setup = {};
    } cases[] = {
        {"-x -r0 huge.raw", {"huge.raw is too large to play (4 GiB or more)"}},
        {"-x -r0 lying.raw",
         {"lying.raw contains 16 full blocks", "The length of the output sequence will be set to 16 blocks",
          "Short read from lying.raw (read " + std::to_string(have_kernel_file ? read_file(kernel_file).size() : 0) +
              " bytes, expected 256)"}},
        {"-x -r0 edge.raw",
         {"edge.raw contains 16777215 full blocks and a remnant of 255 bytes",
          "The length of the output sequence will be set to 16777216 blocks",
          "Could not allocate memory for playback file edge.raw (4294967296 bytes)."},
         "ulimit -v 65536"},
        {"-x -r0 big.raw",
         {"big.raw contains 4194304 full blocks", "The length of the output sequence will be set to 4194304 blocks",
          "Could not allocate memory for playback file big.raw (1073741824 bytes)."},
         "ulimit -v 65536"},
    };
    // The other refusals are in the transcripts; these files are sparse and take no room.
    temp_folder work;
    for (auto [name, size] : {std::pair{"huge.raw", 0x100000000}, {"edge.raw", 0xFFFFFFFF}, {"big.raw", 1 << 30}}) {
        write_file(work / name, {});
        std::filesystem::resize_file(work / name, size);
    }
    std::filesystem::create_symlink(kernel_file, work / "lying.raw");
    // A capture file from an earlier run, and one that does not exist yet.
    const std::vector<uint8_t> earlier(100, 9);
    write_file(work / "cap.raw", earlier);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args);
        if (address_sanitized && c.shell_setup.starts_with("ulimit -v")) continue;
        if (!have_kernel_file && c.args.ends_with("lying.raw")) continue;
        whole_run run = run_veskplay({.outputs = 2, .inputs = 2},
                                     concat({"-s", "64", "-c0", "cap.raw", "-c1", "new.raw"}, words(c.args)), work.path,
                                     c.shell_setup);

        EXPECT_EQ(run.result.status, 1);
        EXPECT_EQ(last_lines(run.lines(), c.last.size()), c.last);
        EXPECT_TRUE(run.staged().empty());
        // Every file is left as the run found it.
        EXPECT_EQ(read_file(work / "cap.raw"), earlier);
        EXPECT_FALSE(std::filesystem::exists(work / "new.raw"));
    }
}

}  // namespace
