// Whole runs of the built program for the texts that end the process early:
// standard output compared line by line, nothing on standard error, and the
// exit status. Every run names a loopback address, though none connects.
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "built_program.h"
#include "child_process.h"
#include "run_settings.h"
#include "temp_folder.h"

namespace {

using lines = std::vector<std::string>;

const lines usage = {
    "Usage: veskplay [options]",
    "    Options can be upper or lower case, prefixed with / or -",
    "    -h or /? prints usage information",
    "    -k <bps> specifies the codec sample rate (24000 or 48000)",
    "    -b <blocks> specifies the number of blocks to send (default = 100)",
    "    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)",
    "    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check",
    "    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)",
    "    -s <samples> specifies the number of samples per block (16..65536, default = 1024)",
    "    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)",
    "    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)",
    "    -l <keyword> selects loopback (default = none), choices are:",
    "        none (No loopback)",
    "        server (Loopback within server software)",
    "        i2s (Loopback on 1-bit digital path to codec)",
    std::string("    -a <ipaddr:port> specifies IP address and port (default = ") + default_server_address + ")",
    "    -cX saves captured audio from channel X to the specified file",
    "    -uX saves each block N of captured audio from channel X to a separate file named prefix.N",
    "    -rX reads playback audio for channel X from specified file",
    "    -tf uses framing pattern instead of sine wave",
    "    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0",
    "    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received",
    "    -tu (unsynchronized) disables synchronization of capture and playback blocks",
    "    -z (zero) uses silence instead of sine wave",
    "    -w requests ramp-up and ramp-down blocks",
    "    -i specifies infinite timeouts for server communication, for debugging",
    "    -nX analyze input channel X (only one channel may be analyzed)",
    "    -g <path> specifies log path (defaults to stdout if not specified)",
    "    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)",
    "    -p promiscuous mode: capture response to all output, even quiet and ramp blocks",
    "    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N",
    "    -xl like -x, with the first block of the sequence flagged as the start of a loop.",
    "    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)",
    "       (if no ramp-up block is used, the first N blocks will be discarded)",
    "       (no blocks will be discarded when -P or -X is specified)",
    "    -v displays version information",
    "    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio",
    "       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)",
    "       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)",
    "       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)",
    "       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)",
    "       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)",
    "    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)",
    "       Keywords are: off; standby; run (at rate specified by -k); query",
};

struct finished_run {
    int exit_status = -1;
    std::string out;
    std::string err;
};

finished_run run_veskplay(std::vector<std::string> words)
{
    temp_folder folder;
    words.insert(words.begin(), {"-a", "127.0.0.1:9"});
    finished_run run;
    {
        child_process child(built_program("VESKPLAY"), words, {}, folder / "stderr");
        run.exit_status = exit_status(child.finish(std::chrono::seconds(10)));
        run.out = child.output();
    }
    std::ifstream err(folder / "stderr");
    std::ostringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

lines then(lines first, const lines &more)
{
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

TEST(WholeRun, RefusedCommandLinesEndWithOne)
{
    const struct {
        std::vector<std::string> words;
        lines out;
    } cases[] = {
        {{"-w", "-b", "0", "-h"}, {"Requesting ramp-up and ramp-down blocks.", "Block count must be at least 1."}},
        {{"-b5"}, usage},
        {{"-w", "-b"}, then({"Requesting ramp-up and ramp-down blocks."}, usage)},
        {{"-q", "-w"}, {"Missing value for -q."}},
        {{"-b", "10k"}, {"\"10k\" isn't a valid number for -b."}},
        {{"-f", "20000", "-k", "16000"}, {"20000 Hz is too high for the 16000 Hz sample rate."}},
        {{"-a", "127.0.0.1:1024abc"}, {"\"1024abc\" isn't a valid number for -a."}},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.words[0]);
        finished_run run = run_veskplay(test.words);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(lines_of(run.out), test.out);
        EXPECT_EQ(run.err, "");
    }
}

TEST(WholeRun, HelpAndVersionEndWithZero)
{
    finished_run help = run_veskplay({"/?"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_EQ(lines_of(help.out), usage);
    EXPECT_EQ(help.err, "");

    // The build date and time are the compiler's: "Mmm dd yyyy hh:mm:ss", the day padded with a blank.
    finished_run version = run_veskplay({"-v", "-b", "0"});
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_TRUE(std::regex_match(
        version.out, std::regex("veskplay 2018\\.03\\.30 built [A-Z][a-z]{2} [ 123][0-9] [0-9]{4} "
                                "[0-9]{2}:[0-9]{2}:[0-9]{2}\n"
                                "Supports Plenar-B and Plenar-C3 compatible hardware \\(including Rev E\\)\n")))
        << version.out;
    EXPECT_EQ(version.err, "");
}

}  // namespace
