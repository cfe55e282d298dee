// The command line, one table per rule. Each row is the words after the
// program name, how the parse ends, what it prints, and the settings it
// leaves. The refusals are a transcript; the usage text's words are checked
// by the whole-run test.
#include <iomanip>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "command_line.h"
#include "usage_text.h"

namespace {

constexpr int proceeds = -1;

struct parse_case {
    std::vector<const char *> words;
    int status;  // proceeds, or the exit status
    std::string output;
    std::string settings = "";  // "name=value" words the settings must show
};

// The settings as "name=value" words; text fields only when set.
std::string shown(const run_settings &s) {
    std::ostringstream t;
    t << " blocks=" << s.block_count << " quiet=" << s.start_quiet_blocks << " sync_check=" << s.sync_check
      << " end=" << s.end_quiet_blocks << " samples=" << s.samples_per_block << " hz=" << s.frequency_hz
      << " rate=" << s.sample_rate << " amplitude=" << s.amplitude << " dc=" << s.dc_level
      << " framing=" << s.framing_pattern << " stop=" << s.stop_ms << " ramp=" << s.ramp << " zero=" << s.silence
      << " promiscuous=" << s.promiscuous << " debug=" << s.debug_mask << " extended=" << s.extended_mode
      << " junk=" << s.junk_blocks << " synchronized=" << s.synchronized << " address=" << s.server_address
      << " timeouts=" << s.connect_timeout_ms << "," << s.progress_timeout_ms << " analyze=" << s.analyze_channel
      << " loopback=" << s.loopback << std::hex << std::setfill('0') << " setup=" << std::setw(8) << s.setup_value
      << "/" << std::setw(8) << s.setup_mask << std::dec;
    for (int channel = 0; channel < channel_table_size; ++channel) {
        if (s.capture_file[channel])
            t << (s.capture_per_block[channel] ? " u" : " c") << channel << "=" << s.capture_file[channel];
        if (s.playback_file[channel]) t << " r" << channel << "=" << s.playback_file[channel];
    }
    if (s.log_path) t << " log=" << s.log_path;
    return t.str() + " ";
}

void expect_parses(const std::vector<parse_case> &cases) {
    for (const parse_case &test : cases) {
        std::vector<const char *> argv{"veskplay"};
        argv.insert(argv.end(), test.words.begin(), test.words.end());
        SCOPED_TRACE(testing::PrintToString(test.words));
        run_settings settings;
        std::string output;
        command_line_result result = parse_command_line(static_cast<int>(argv.size()), argv.data(), settings, output);
        EXPECT_EQ(result.proceed ? proceeds : result.exit_status, test.status);
        EXPECT_EQ(output, test.output);
        std::istringstream expected(test.settings);
        for (std::string word; expected >> word;)
            EXPECT_NE(shown(settings).find(" " + word + " "), std::string::npos) << word << " in" << shown(settings);
    }
}

// Runs that all end the same way.
std::vector<parse_case> ending(int status, const std::string &output, std::vector<std::vector<const char *>> runs,
                               const std::string &settings = "") {
    std::vector<parse_case> cases;
    for (auto &words : runs) cases.push_back({words, status, output, settings});
    return cases;
}

// Octal, hex, blanks and a sign around the digits, 32-bit limits; a value
// that looks like an option is a forgotten one.
TEST(CommandLine, NumberForms) {
    std::vector<parse_case> cases = {
        {{"-B", "010"}, proceeds, "", "blocks=8"},
        {{"-b", "0x10"}, proceeds, "", "blocks=16"},
        {{"-b", " +7 "}, proceeds, "", "blocks=7"},
        {{"-b", "2147483647"}, proceeds, "", "blocks=2147483647"},
        {{"-j", "-2147483648"}, proceeds, "", "junk=-2147483648"},
        {{"-j", "-2"}, proceeds, "", "junk=-2"},
        {{"-m", " .2 "}, proceeds, "", "amplitude=0.2"},
        {{"-a", "nowhere"}, proceeds, "", "address=nowhere"},
        {{"-a", "127.0.0.1:"}, proceeds, "", "address=127.0.0.1:"},  // the library says what is missing
        {{"-a", "127.0.0.1: 5"}, proceeds, "", "address=127.0.0.1:"},
    };
    expect_parses(cases);
    expect_parses(ending(proceeds, "", {{"-d", "0xFFFFFFFF"}, {"-d", "-1"}}, "debug=4294967295"));
}

// The channel follows the option's letter; any word with the letter counts.
TEST(CommandLine, ChannelNumbers) {
    expect_parses({
        {{"-c31", "out.raw"}, proceeds, "", "c31=out.raw"},
        {{"-c", "out.raw"}, proceeds, "", "c0=out.raw"},
        {{"-U5", "dir/blk"}, proceeds, "", "u5=dir/blk"},
        {{"-rate", "tone.raw"}, proceeds, "", "r0=tone.raw"},
        {{"-u2", "blk", "-c2", "all.raw", "-u3", "b"}, proceeds, "", "c2=all.raw u3=b"},
        {{"-n5", "-n6"}, proceeds, "", "analyze=6"},
    });
}

// A capture or playback file that another option would also write is
// refused before anything is opened; a -u prefix writes prefix.N from N = 1.
TEST(CommandLine, FilesThatWouldOverwriteEachOther) {
    expect_parses({
        {{"-u0", "blk", "-c0", "blk.1"}, proceeds, "", "c0=blk.1"},  // the later option replaces the prefix
        {{"-u0", "out.raw", "-r0", "out.raw"}, proceeds, "", "u0=out.raw r0=out.raw"},
    });
    for (const char *apart : {"blk.0", "blk.01", "blk.4294967296", "blk.1x", "blk.", "blk1", "blk.1.1"})
        expect_parses({{{"-u0", "blk", "-c1", apart}, proceeds, ""}, {{"-u0", "blk", "-u1", apart}, proceeds, ""}});
    expect_parses({{{"-u0", "blk", "-c1", "blk"}, proceeds, ""}});
}

// Whole keywords in any case; a later -y replaces an earlier one.
TEST(CommandLine, Keywords) {
    expect_parses({
        {{"-l", "SERVER"}, proceeds, "", "loopback=2"},
        {{"-l", "I2S"}, proceeds, "", "loopback=1"},
        {{"-l", "server", "-l", "none"}, proceeds, "", "loopback=0"},
        {{"-y", "ppon,mlo"}, proceeds, "", "setup=04100000/04f00000"},
        {{"-y", ","}, proceeds, "", "setup=00000000/00000000"},
        {{"-y", "ppon", "-y", "boff"}, proceeds, "", "setup=00000000/00000f00"},
    });
}

TEST(CommandLine, OptionRanges) {
    expect_parses(ending(proceeds, "", {{"-f", "24000"}, {"-k", "96000", "-f", "24000"}}, "hz=24000"));
    expect_parses({
        {{"-k", "0"}, proceeds, "", "rate=0"},
        {{"-e", "0"}, proceeds, "", "end=0"},
        {{"-f", "8000", "-k", "16000"}, proceeds, "", "hz=8000 rate=16000"},
        {{"-ts", "100"}, proceeds, "stop_ms = 100\n", "stop=100"},
        {{"-s", "16"}, proceeds, "", "samples=16"},
        {{"-s", "65536"}, proceeds, "", "samples=65536"},
    });
}

// Options act in the order they are met: notices print as they come, a later
// value wins, a later help or version does not save a bad value.
TEST(CommandLine, OrderFlagsHelpAndVersion) {
    const std::string usage = usage_text(), version = version_text(),
                      ramp = "Requesting ramp-up and ramp-down blocks.\n";
    expect_parses({
        {{}, proceeds, "", "blocks=100 quiet=10 end=1 samples=1024 hz=440 rate=48000 analyze=-1 junk=1 loopback=0"},
        {{"-QQ", "5"}, proceeds, "", "quiet=5 sync_check=0"},
        {{"-qq", "5", "-q", "3"}, proceeds, "", "quiet=3 sync_check=0"},
        {{"-m", "0.5", "-td", "-0.25"}, proceeds, "", "amplitude=-0.25 dc=1"},
        {{"-x", "-g", "log"}, proceeds, "", "extended=1 log=log"},
        {{"-td", "0.5", "-m", "0.2"}, proceeds, "", "amplitude=0.2 dc=1"},
        {{"-TF", "/tu", "-z", "-p", "-XL"}, proceeds, "", "framing=1 synchronized=0 zero=1 promiscuous=1 extended=2"},
        {{"-w", "-ts", "250", "-i"},
         proceeds,
         ramp + "stop_ms = 250\nSetting infinite timeouts for debugging.\n",
         "ramp=1 stop=250 timeouts=0,0"},
        {{"-w", "-b5", "-h"}, 1, ramp + usage},
        {{"-w", "-?"}, 0, ramp + usage},
        {{"-v", "-b", "0"}, 0, version},
        {{"-ts", "200", "-V"}, 0, "stop_ms = 200\n" + version},
    });
    // An unknown word or a missing argument prints the usage text and fails; asking for it does not.
    expect_parses(ending(1, usage, {{"-"}, {""}, {"file.raw"}, {"-b"}, {"-c3"}}));
    expect_parses(ending(0, usage, {{"-h"}, {"/H", "-b", "0"}, {"/?"}}));
}

}  // namespace
