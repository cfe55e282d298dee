#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_line.h"
#include "loopback_levels.h"
#include "usage_text.h"

namespace {

struct parse_outcome {
    command_line_result result{};
    run_settings settings;
    std::string output;
};

parse_outcome parse(const std::vector<const char *> &words)
{
    std::vector<const char *> argv{"veskplay"};
    argv.insert(argv.end(), words.begin(), words.end());
    parse_outcome parsed;
    parsed.result = parse_command_line(static_cast<int>(argv.size()), argv.data(), parsed.settings, parsed.output);
    return parsed;
}

std::string joined(const std::vector<const char *> &words)
{
    std::string text;
    for (const char *word : words)
        text += std::string(text.empty() ? "" : " ") + "[" + word + "]";
    return text;
}

using check = std::function<void(const run_settings &)>;

TEST(CommandLine, AcceptedOptionsSetTheirSettings)
{
    const struct {
        std::vector<const char *> words;
        check expect;
        std::string output = "";
    } cases[] = {
        {{}, [](const run_settings &s) {
             EXPECT_EQ(s.block_count, 100);
             EXPECT_STREQ(s.server_address, default_server_address);
             EXPECT_EQ(s.analyze_channel, -1);
         }},
        // Number words: octal, hex, blanks and a sign around the digits, 32-bit limits.
        {{"-B", "010"}, [](const run_settings &s) { EXPECT_EQ(s.block_count, 8); }},
        {{"-b", "0x10"}, [](const run_settings &s) { EXPECT_EQ(s.block_count, 16); }},
        {{"-b", " +7 "}, [](const run_settings &s) { EXPECT_EQ(s.block_count, 7); }},
        {{"-b", "2147483647"}, [](const run_settings &s) { EXPECT_EQ(s.block_count, INT32_MAX); }},
        {{"-j", "-2147483648"}, [](const run_settings &s) { EXPECT_EQ(s.junk_blocks, INT32_MIN); }},
        {{"-d", "0xFFFFFFFF"}, [](const run_settings &s) { EXPECT_EQ(s.debug_mask, 0xFFFFFFFFu); }},
        {{"-d", "-1"}, [](const run_settings &s) { EXPECT_EQ(s.debug_mask, 0xFFFFFFFFu); }},
        {{"-b", "5", "-b", "6"}, [](const run_settings &s) { EXPECT_EQ(s.block_count, 6); }},
        {{"-QQ", "5"}, [](const run_settings &s) { EXPECT_EQ(s.start_quiet_blocks, 5); EXPECT_FALSE(s.sync_check); }},
        {{"-qq", "5", "-q", "3"},
         [](const run_settings &s) { EXPECT_EQ(s.start_quiet_blocks, 3); EXPECT_FALSE(s.sync_check); }},
        {{"-e", "0"}, [](const run_settings &s) { EXPECT_EQ(s.end_quiet_blocks, 0); }},
        // The sine may reach half the sample rate, -k before or after -f.
        {{"-f", "24000"}, [](const run_settings &s) { EXPECT_EQ(s.frequency_hz, 24000); }},
        {{"-f", "8000", "-k", "16000"},
         [](const run_settings &s) { EXPECT_EQ(s.frequency_hz, 8000); EXPECT_EQ(s.sample_rate, 16000u); }},
        {{"-k", "96000", "-f", "24000"}, [](const run_settings &s) { EXPECT_EQ(s.frequency_hz, 24000); }},
        {{"-k", "0"}, [](const run_settings &s) { EXPECT_EQ(s.sample_rate, 0u); }},
        {{"-s", "16"}, [](const run_settings &s) { EXPECT_EQ(s.samples_per_block, 16u); }},
        {{"-s", "65536"}, [](const run_settings &s) { EXPECT_EQ(s.samples_per_block, 65536u); }},
        {{"-m", "0.5", "-td", "-0.25"},
         [](const run_settings &s) { EXPECT_EQ(s.amplitude, -0.25); EXPECT_TRUE(s.dc_level); }},
        {{"-td", "0.5", "-m", " .2 "},
         [](const run_settings &s) { EXPECT_EQ(s.amplitude, 0.2); EXPECT_TRUE(s.dc_level); }},
        {{"-ts", "100"}, [](const run_settings &s) { EXPECT_EQ(s.stop_ms, 100u); }, "stop_ms = 100\n"},
        {{"-c31", "out.raw"},
         [](const run_settings &s) { EXPECT_STREQ(s.capture_file[31], "out.raw"); EXPECT_FALSE(s.capture_per_block[31]); }},
        {{"-c", "out.raw"}, [](const run_settings &s) { EXPECT_STREQ(s.capture_file[0], "out.raw"); }},
        {{"-U5", "dir/blk"},
         [](const run_settings &s) { EXPECT_STREQ(s.capture_file[5], "dir/blk"); EXPECT_TRUE(s.capture_per_block[5]); }},
        {{"-u2", "blk", "-c2", "all.raw", "-u3", "b"},
         [](const run_settings &s) {
             EXPECT_STREQ(s.capture_file[2], "all.raw");
             EXPECT_FALSE(s.capture_per_block[2]);
             EXPECT_STREQ(s.capture_file[3], "b");
             EXPECT_TRUE(s.capture_per_block[3]);
         }},
        // A first-letter option takes any word with its letter: -rate is playback channel 0.
        {{"-rate", "tone.raw"}, [](const run_settings &s) { EXPECT_STREQ(s.playback_file[0], "tone.raw"); }},
        {{"-n5", "-n6"}, [](const run_settings &s) { EXPECT_EQ(s.analyze_channel, 6); }},
        {{"-l", "SERVER"}, [](const run_settings &s) { EXPECT_EQ(s.loopback, 2); }},
        {{"-y", "ppon,mlo"},
         [](const run_settings &s) { EXPECT_EQ(s.setup_value, 0x04100000u); EXPECT_EQ(s.setup_mask, 0x04F00000u); }},
        {{"-y", ","}, [](const run_settings &s) { EXPECT_EQ(s.setup_mask, 0u); }},
        {{"-y", "ppon", "-y", "boff"},
         [](const run_settings &s) { EXPECT_EQ(s.setup_value, 0u); EXPECT_EQ(s.setup_mask, 0x00000F00u); }},
        // The port is checked for being a number; the rest is the library's.
        {{"-a", "127.0.0.1: 5"}, [](const run_settings &s) { EXPECT_STREQ(s.server_address, "127.0.0.1: 5"); }},
        {{"-a", "nowhere"}, [](const run_settings &s) { EXPECT_STREQ(s.server_address, "nowhere"); }},
        {{"-j", "-2"}, [](const run_settings &s) { EXPECT_EQ(s.junk_blocks, -2); }},
        {{"-i"},
         [](const run_settings &s) { EXPECT_EQ(s.connect_timeout_ms, 0); EXPECT_EQ(s.progress_timeout_ms, 0); },
         "Setting infinite timeouts for debugging.\n"},
        {{"-TF", "/tu", "-z", "-p", "-XL"},
         [](const run_settings &s) {
             EXPECT_TRUE(s.framing_pattern);
             EXPECT_FALSE(s.synchronized);
             EXPECT_TRUE(s.silence);
             EXPECT_TRUE(s.promiscuous);
             EXPECT_EQ(s.extended_mode, 2);
         }},
        {{"-x"}, [](const run_settings &s) { EXPECT_EQ(s.extended_mode, 1); }},
        // Notices come in the order their options are met.
        {{"-w", "-ts", "250", "-i"}, [](const run_settings &s) { EXPECT_TRUE(s.ramp); },
         "Requesting ramp-up and ramp-down blocks.\nstop_ms = 250\nSetting infinite timeouts for debugging.\n"},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(joined(test.words));
        parse_outcome parsed = parse(test.words);
        EXPECT_TRUE(parsed.result.proceed);
        EXPECT_EQ(parsed.output, test.output);
        test.expect(parsed.settings);
    }
}

TEST(CommandLine, RefusedWordsPrintOneTextAndEndWithOne)
{
    const std::string usage = usage_text();
    const struct {
        std::vector<const char *> words;
        std::string output;
    } cases[] = {
        {{"-k", "-1"}, "Sample rate cannot be negative.\n"},
        {{"-q", "-1"}, "Starting quiet block count cannot be negative.\n"},
        {{"-e", "-1"}, "Ending quiet block count cannot be negative.\n"},
        {{"-b", "0"}, "Block count must be at least 1.\n"},
        {{"-f", "0"}, "Frequency must be a positive nonzero integer value in Hz.\n"},
        {{"-f", "24001"}, "24001 Hz is too high for the 48000 Hz sample rate.\n"},
        {{"-k", "96000", "-f", "24001"}, "24001 Hz is too high for the 48000 Hz sample rate.\n"},
        {{"-k", "16000", "-f", "8001"}, "8001 Hz is too high for the 16000 Hz sample rate.\n"},
        {{"-f", "20000", "-k", "16000", "-b", "1"}, "20000 Hz is too high for the 16000 Hz sample rate.\n"},
        {{"-m", "1.5"}, "Amplitude must be between 0.0 and 1.0\n"},
        {{"-m", "nan"}, "Amplitude must be between 0.0 and 1.0\n"},
        {{"-td", "1.01"}, "Level must be between -1.0 and 1.0\n"},
        {{"-td", "NAN"}, "Level must be between -1.0 and 1.0\n"},
        {{"-ts", "99"}, "millisecond count for ts must be at least 100\n"},
        {{"-ts", "-5"}, "millisecond count for ts must be at least 100\n"},
        {{"-s", "15"}, "Samples per block must be in the range 16..65536.\n"},
        {{"-s", "65537"}, "Samples per block must be in the range 16..65536.\n"},
        {{"-c32", "out.raw"}, "Capture (/C or /U) channel must be in the range 0..31.\n"},
        {{"-c-1", "out.raw"}, "Capture (/C or /U) channel must be in the range 0..31.\n"},
        {{"-c4294967296", "out.raw"}, "Capture (/C or /U) channel must be in the range 0..31.\n"},
        {{"-c3", "/tmp/x"}, "\"/tmp/x\" doesn't look like a valid filename.\n"},
        {{"-c3", "-x"}, "\"-x\" doesn't look like a valid filename.\n"},
        {{"-r32", "in.raw"}, "Playback (/R) channel must be in the range 0..31.\n"},
        {{"-r0", "/in.raw"}, "\"/in.raw\" doesn't look like a valid filename.\n"},
        {{"-l", "loop"}, "Unrecognized loopback \"loop\".\n"},
        {{"-y", ""}, "\"\" isn't a valid string of hardware setting(s).\n"},
        {{"-y", "-ppon"}, "\"-ppon\" isn't a valid string of hardware setting(s).\n"},
        {{"-y", "ppon;mlo"}, "\"ppon;mlo\" isn't a valid string of hardware setting(s).\n"},
        {{"-n32"}, "Capture (/C) channel must be in the range 0..31.\n"},
        // A forgotten value does not swallow the next option.
        {{"-q", "-w"}, "Missing value for -q.\n"},
        {{"/K", "-x"}, "Missing value for /K.\n"},
        {{"-m", "-z"}, "Missing value for -m.\n"},
        {{"-b", ""}, "Missing value for -b.\n"},
        // Words that are not wholly a number, or beyond 32 bits.
        {{"-b", "10k"}, "\"10k\" isn't a valid number for -b.\n"},
        {{"-b", "abc"}, "\"abc\" isn't a valid number for -b.\n"},
        {{"-b", "089"}, "\"089\" isn't a valid number for -b.\n"},
        {{"-b", "0x"}, "\"0x\" isn't a valid number for -b.\n"},
        {{"-b", "4294967297"}, "\"4294967297\" isn't a valid number for -b.\n"},
        {{"-b", "99999999999999999999"}, "\"99999999999999999999\" isn't a valid number for -b.\n"},
        {{"-j", "-2147483649"}, "\"-2147483649\" isn't a valid number for -j.\n"},
        {{"-d", "0x100000000"}, "\"0x100000000\" isn't a valid number for -d.\n"},
        {{"-ts", "0x200"}, "\"0x200\" isn't a valid number for -ts.\n"},
        {{"-ts", "4294967396"}, "\"4294967396\" isn't a valid number for -ts.\n"},
        {{"-td", "0.5v"}, "\"0.5v\" isn't a valid number for -td.\n"},
        {{"-a", "127.0.0.1:1024abc"}, "\"1024abc\" isn't a valid number for -a.\n"},
        // Checks run as options are met: a later help or version does not save a bad value.
        {{"-b", "0", "-v"}, "Block count must be at least 1.\n"},
        {{"-w", "-s", "1"}, "Requesting ramp-up and ramp-down blocks.\nSamples per block must be in the range 16..65536.\n"},
        // An unknown word or a missing argument prints the usage text.
        {{"-"}, usage},
        {{""}, usage},
        {{"file.raw"}, usage},
        {{"-b"}, usage},
        {{"-c3"}, usage},
        {{"-b5"}, usage},
        {{"-w", "-b5", "-h"}, "Requesting ramp-up and ramp-down blocks.\n" + usage},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(joined(test.words));
        parse_outcome parsed = parse(test.words);
        EXPECT_FALSE(parsed.result.proceed);
        EXPECT_EQ(parsed.result.exit_status, 1);
        EXPECT_EQ(parsed.output, test.output);
    }
}

TEST(CommandLine, HelpAndVersionEndWithZero)
{
    const std::string usage = usage_text();
    const std::string version = version_text();
    const struct {
        std::vector<const char *> words;
        std::string output;
    } cases[] = {
        {{"-h"}, usage},
        {{"/H", "-b", "0"}, usage},
        {{"/?"}, usage},
        {{"-?"}, usage},
        {{"-w", "-?"}, "Requesting ramp-up and ramp-down blocks.\n" + usage},
        {{"-v", "-b", "0"}, version},
        {{"-ts", "200", "-V"}, "stop_ms = 200\n" + version},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(joined(test.words));
        parse_outcome parsed = parse(test.words);
        EXPECT_FALSE(parsed.result.proceed);
        EXPECT_EQ(parsed.result.exit_status, 0);
        EXPECT_EQ(parsed.output, test.output);
    }
}

TEST(LoopbackLevels, LookupsFindRowsOrReturnNull)
{
    EXPECT_EQ(loopback_by_tag("I2S")->value, 1);
    EXPECT_EQ(loopback_by_tag("none")->value, 0);
    EXPECT_EQ(loopback_by_tag("serv"), nullptr);
    EXPECT_STREQ(loopback_by_value(2)->description, "Loopback within server software");
    EXPECT_EQ(loopback_by_value(3), nullptr);
}

}  // namespace
