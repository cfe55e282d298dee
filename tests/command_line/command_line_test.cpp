#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_line.h"
#include "expected_texts.h"
#include "loopback_levels.h"

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

TEST(CommandLine, NoWordsKeepsTheDefaultsAndProceeds)
{
    parse_outcome parsed = parse({});
    EXPECT_TRUE(parsed.result.proceed);
    EXPECT_EQ(parsed.output, "");
    EXPECT_EQ(parsed.settings.block_count, 100);
    EXPECT_STREQ(parsed.settings.server_address, default_server_address);
    EXPECT_EQ(parsed.settings.analyze_channel, -1);
}

struct accepted_case {
    std::vector<const char *> words;
    std::function<void(const run_settings &)> check;
    std::string output = "";
};

TEST(CommandLine, AcceptedOptionsSetTheirSettings)
{
    const accepted_case cases[] = {
        {{"-B", "010"}, [](const run_settings &s) { EXPECT_EQ(s.block_count, 8); }},
        {{"-b", "0x10"}, [](const run_settings &s) { EXPECT_EQ(s.block_count, 16); }},
        {{"-b", "4294967297"}, [](const run_settings &s) { EXPECT_EQ(s.block_count, 1); }},
        {{"-b", "5", "-b", "6"}, [](const run_settings &s) { EXPECT_EQ(s.block_count, 6); }},
        {{"-q", "abc"}, [](const run_settings &s) { EXPECT_EQ(s.start_quiet_blocks, 0); EXPECT_TRUE(s.sync_check); }},
        {{"-QQ", "5"}, [](const run_settings &s) { EXPECT_EQ(s.start_quiet_blocks, 5); EXPECT_FALSE(s.sync_check); }},
        {{"-qq", "5", "-q", "3"},
         [](const run_settings &s) { EXPECT_EQ(s.start_quiet_blocks, 3); EXPECT_FALSE(s.sync_check); }},
        {{"-f", "24000"}, [](const run_settings &s) { EXPECT_EQ(s.frequency_hz, 24000); }},
        {{"-s", "16"}, [](const run_settings &s) { EXPECT_EQ(s.samples_per_block, 16u); }},
        {{"-s", "65536"}, [](const run_settings &s) { EXPECT_EQ(s.samples_per_block, 65536u); }},
        {{"-m", "0.5", "-td", "-0.25"},
         [](const run_settings &s) { EXPECT_EQ(s.amplitude, -0.25); EXPECT_TRUE(s.dc_level); }},
        {{"-td", "0.5", "-m", "0.2"},
         [](const run_settings &s) { EXPECT_EQ(s.amplitude, 0.2); EXPECT_TRUE(s.dc_level); }},
        {{"-ts", "100"}, [](const run_settings &s) { EXPECT_EQ(s.stop_ms, 100u); }, "stop_ms = 100\n"},
        {{"-ts", "4294967396"}, [](const run_settings &s) { EXPECT_EQ(s.stop_ms, 100u); }, "stop_ms = 100\n"},
        {{"-c31", "out.raw"},
         [](const run_settings &s) { EXPECT_STREQ(s.capture_file[31], "out.raw"); EXPECT_FALSE(s.capture_per_block[31]); }},
        {{"-c", "out.raw"}, [](const run_settings &s) { EXPECT_STREQ(s.capture_file[0], "out.raw"); }},
        {{"-U5", "dir/blk"},
         [](const run_settings &s) { EXPECT_STREQ(s.capture_file[5], "dir/blk"); EXPECT_TRUE(s.capture_per_block[5]); }},
        {{"-u2", "blk", "-c2", "all.raw"},
         [](const run_settings &s) { EXPECT_STREQ(s.capture_file[2], "all.raw"); EXPECT_FALSE(s.capture_per_block[2]); }},
        {{"-c1", "a.raw", "-u3", "b"},
         [](const run_settings &s) {
             EXPECT_STREQ(s.capture_file[1], "a.raw");
             EXPECT_STREQ(s.capture_file[3], "b");
             EXPECT_TRUE(s.capture_per_block[3]);
         }},
        // A first-letter option takes any word with its letter: -rate is playback channel 0.
        {{"-rate", "tone.raw"}, [](const run_settings &s) { EXPECT_STREQ(s.playback_file[0], "tone.raw"); }},
        {{"-n5", "-n6"}, [](const run_settings &s) { EXPECT_EQ(s.analyze_channel, 6); }},
        {{"-l", "SERVER"}, [](const run_settings &s) { EXPECT_EQ(s.loopback, 2); }},
        {{"-y", "ppon,mlo"},
         [](const run_settings &s) { EXPECT_EQ(s.setup_value, 0x04100000u); EXPECT_EQ(s.setup_mask, 0x04F00000u); }},
        {{"-y", ","}, [](const run_settings &s) { EXPECT_EQ(s.setup_value, 0u); EXPECT_EQ(s.setup_mask, 0u); }},
        {{"-y", "ppon", "-y", "boff"},
         [](const run_settings &s) { EXPECT_EQ(s.setup_value, 0u); EXPECT_EQ(s.setup_mask, 0x00000F00u); }},
        {{"-a", "127.0.0.1:5"}, [](const run_settings &s) { EXPECT_STREQ(s.server_address, "127.0.0.1:5"); }},
        {{"-d", "0xff"}, [](const run_settings &s) { EXPECT_EQ(s.debug_mask, 0xFFu); }},
        {{"-d", "-1"}, [](const run_settings &s) { EXPECT_EQ(s.debug_mask, 0xFFFFFFFFu); }},
        {{"-j", "-2"}, [](const run_settings &s) { EXPECT_EQ(s.junk_blocks, -2); }},
        {{"-i"},
         [](const run_settings &s) { EXPECT_EQ(s.connect_timeout_ms, 0); EXPECT_EQ(s.progress_timeout_ms, 0); },
         "Setting infinite timeouts for debugging.\n"},
        {{"-w"}, [](const run_settings &s) { EXPECT_TRUE(s.ramp); }, "Requesting ramp-up and ramp-down blocks.\n"},
        {{"-TF", "/tu", "-z", "-p"},
         [](const run_settings &s) {
             EXPECT_TRUE(s.framing_pattern);
             EXPECT_FALSE(s.synchronized);
             EXPECT_TRUE(s.silence);
             EXPECT_TRUE(s.promiscuous);
         }},
        {{"-x"}, [](const run_settings &s) { EXPECT_EQ(s.extended_mode, 1); }},
        {{"-XL"}, [](const run_settings &s) { EXPECT_EQ(s.extended_mode, 2); }},
        // Notices come in the order their options are met.
        {{"-w", "-ts", "250", "-i"}, [](const run_settings &) {},
         "Requesting ramp-up and ramp-down blocks.\nstop_ms = 250\nSetting infinite timeouts for debugging.\n"},
    };
    for (const accepted_case &test : cases) {
        SCOPED_TRACE(joined(test.words));
        parse_outcome parsed = parse(test.words);
        EXPECT_TRUE(parsed.result.proceed);
        EXPECT_EQ(parsed.output, test.output);
        test.check(parsed.settings);
    }
}

TEST(CommandLine, BadValuesFailWithOneMessageAndStatusOne)
{
    const struct {
        std::vector<const char *> words;
        const char *message;
    } cases[] = {
        {{"-k", "-1"}, "Sample rate cannot be negative.\n"},
        {{"-q", "-1"}, "Starting quiet block count cannot be negative.\n"},
        {{"-e", "-1"}, "Ending quiet block count cannot be negative.\n"},
        {{"-b", "0"}, "Block count must be at least 1.\n"},
        {{"-b", "abc"}, "Block count must be at least 1.\n"},
        {{"-f", "0"}, "Frequency must be a positive nonzero integer value in Hz.\n"},
        {{"-f", "24001"}, "24001 Hz is too high for the 48000 Hz sample rate.\n"},
        {{"-k", "16000", "-f", "30000"}, "30000 Hz is too high for the 48000 Hz sample rate.\n"},
        {{"-m", "1.5"}, "Amplitude must be between 0.0 and 1.0\n"},
        {{"-m", "nan"}, "Amplitude must be between 0.0 and 1.0\n"},
        {{"-td", "1.01"}, "Level must be between -1.0 and 1.0\n"},
        {{"-td", "NAN"}, "Level must be between -1.0 and 1.0\n"},
        {{"-ts", "99"}, "millisecond count for ts must be at least 100\n"},
        {{"-ts", "0x200"}, "millisecond count for ts must be at least 100\n"},
        {{"-ts", "3000000000"}, "millisecond count for ts must be at least 100\n"},
        {{"-s", "15"}, "Samples per block must be in the range 16..65536.\n"},
        {{"-s", "65537"}, "Samples per block must be in the range 16..65536.\n"},
        {{"-c32", "out.raw"}, "Capture (/C or /U) channel must be in the range 0..31.\n"},
        {{"-c-1", "out.raw"}, "Capture (/C or /U) channel must be in the range 0..31.\n"},
        {{"-c3", "/tmp/x"}, "\"/tmp/x\" doesn't look like a valid filename.\n"},
        {{"-c3", "-x"}, "\"-x\" doesn't look like a valid filename.\n"},
        {{"-r32", "in.raw"}, "Playback (/R) channel must be in the range 0..31.\n"},
        {{"-r0", "/in.raw"}, "\"/in.raw\" doesn't look like a valid filename.\n"},
        {{"-l", "loop"}, "Unrecognized loopback \"loop\".\n"},
        {{"-y", ""}, "\"\" isn't a valid string of hardware setting(s).\n"},
        {{"-y", "-ppon"}, "\"-ppon\" isn't a valid string of hardware setting(s).\n"},
        {{"-y", "ppon;mlo"}, "\"ppon;mlo\" isn't a valid string of hardware setting(s).\n"},
        {{"-n32"}, "Capture (/C) channel must be in the range 0..31.\n"},
        // Checks run as options are met: a later help or version does not save a bad value.
        {{"-b", "0", "-v"}, "Block count must be at least 1.\n"},
        {{"-w", "-s", "1"}, "Requesting ramp-up and ramp-down blocks.\nSamples per block must be in the range 16..65536.\n"},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(joined(test.words));
        parse_outcome parsed = parse(test.words);
        EXPECT_FALSE(parsed.result.proceed);
        EXPECT_EQ(parsed.result.exit_status, 1);
        EXPECT_EQ(parsed.output, test.message);
    }
}

TEST(CommandLine, WordsThatMatchNoOptionPrintTheUsageWithStatusZero)
{
    const struct {
        std::vector<const char *> words;
        std::string before_usage;
    } cases[] = {
        {{"-h"}, ""},
        {{"/H", "-b", "0"}, ""},
        {{"/?"}, ""},
        {{"-?"}, ""},
        {{"-"}, ""},
        {{""}, ""},
        {{"file.raw"}, ""},
        {{"-b"}, ""},           // an option that needs an argument, standing last
        {{"-c3"}, ""},
        {{"-b5"}, ""},          // an argument joined to its option is not read
        {{"-w", "-?"}, "Requesting ramp-up and ramp-down blocks.\n"},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(joined(test.words));
        parse_outcome parsed = parse(test.words);
        EXPECT_FALSE(parsed.result.proceed);
        EXPECT_EQ(parsed.result.exit_status, 0);
        EXPECT_EQ(parsed.output, test.before_usage + expected_usage_text());
    }
}

TEST(CommandLine, VersionEndsTheParseAtOnceWithStatusZero)
{
    const struct {
        std::vector<const char *> words;
        std::string before_version;
    } cases[] = {
        {{"-v"}, ""},
        {{"-v", "-b", "0"}, ""},
        {{"-ts", "200", "-v"}, "stop_ms = 200\n"},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(joined(test.words));
        parse_outcome parsed = parse(test.words);
        EXPECT_FALSE(parsed.result.proceed);
        EXPECT_EQ(parsed.result.exit_status, 0);
        ASSERT_EQ(parsed.output.compare(0, test.before_version.size(), test.before_version), 0) << parsed.output;
        EXPECT_TRUE(is_version_text(parsed.output.substr(test.before_version.size()))) << parsed.output;
    }
}

TEST(LoopbackLevels, LookupsFindRowsOrReturnNull)
{
    EXPECT_EQ(loopback_by_tag("Server")->value, 2);
    EXPECT_EQ(loopback_by_tag("I2S")->value, 1);
    EXPECT_EQ(loopback_by_tag("none")->value, 0);
    EXPECT_EQ(loopback_by_tag("serv"), nullptr);
    EXPECT_EQ(loopback_by_tag(""), nullptr);
    EXPECT_STREQ(loopback_by_value(1)->keyword, "i2s");
    EXPECT_STREQ(loopback_by_value(2)->description, "Loopback within server software");
    EXPECT_EQ(loopback_by_value(3), nullptr);
    EXPECT_EQ(loopback_by_value(-1), nullptr);
}

}  // namespace
