#include <string>

#include <gtest/gtest.h>

#include "hardware_settings.h"

namespace {

constexpr uint32_t untouched = 0xDEADBEEF;

TEST(HardwareSettingsParse, KeywordsCombineIntoWordAndMask)
{
    const struct {
        const char *text;
        uint32_t word;
        uint32_t mask;
    } cases[] = {
        {"PPON, MLo", 0x04100000, 0x04F00000},
        {"mfm", 0x00400000, 0x00F00000},
        {"mfma", 0x00500000, 0x00F00000},
        {"mfmab", 0x00700000, 0x00F00000},
        {"mfmabmfm", 0x00700000, 0x00F00000},
        {"mlo,,  auxb", 0x00130000, 0x00FF0000},
        {"pponmbon", 0x06000000, 0x06000000},
        {"mlo,mhi", 0x00300000, 0x00F00000},
        {"ppon,ppoff", 0x04000000, 0x04000000},
        {"ppoff mboff mpoff moff auxoff aoff boff", 0, 0x07FFFF00},
        {"mpon auxe auxa alo ahi blo bhi", 0x01033300, 0x010FFF00},
        {"", 0, 0},
        {" , ,", 0, 0},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(std::string("[") + test.text + "]");
        uint32_t word = untouched;
        uint32_t mask = untouched;
        ASSERT_EQ(parse_hardware_settings(test.text, &word, &mask), 0);
        EXPECT_EQ(word, test.word);
        EXPECT_EQ(mask, test.mask);
    }
}

TEST(HardwareSettingsParse, AnythingButKeywordsAndSeparatorsFailsAndStoresNothing)
{
    for (const char *text : {"ahix", "mlo;mhi", "pponx", "\tppon", "x", "auxc"}) {
        SCOPED_TRACE(std::string("[") + text + "]");
        uint32_t word = untouched;
        uint32_t mask = untouched;
        EXPECT_EQ(parse_hardware_settings(text, &word, &mask), 1);
        EXPECT_EQ(word, untouched);
        EXPECT_EQ(mask, untouched);
    }
}

TEST(HardwareSettingsParse, EitherResultMayBeLeftOut)
{
    uint32_t value = untouched;
    EXPECT_EQ(parse_hardware_settings("ppon", nullptr, &value), 0);
    EXPECT_EQ(value, 0x04000000u);
    value = untouched;
    EXPECT_EQ(parse_hardware_settings("mhi", &value, nullptr), 0);
    EXPECT_EQ(value, 0x00200000u);
    EXPECT_EQ(parse_hardware_settings("boff", nullptr, nullptr), 0);
}

TEST(HardwareSettingsFormat, PrintsMarkedFieldsInOrder)
{
    const struct {
        uint32_t word;
        uint32_t mask;
        const char *text;
    } cases[] = {
        {0x06210205, 0x07FFFF0F, "running at 48KHz; ppon,mbon,mpoff,mhi,auxe,aoff,bhi"},
        {0xFFFFFFFF, 0, ""},
        {0x00000005, 0x0000000F, "running at 48KHz"},
        {0x00000000, 0x00000001, "off"},
        {0x00000001, 0x0000000F, "standby"},
        {0x00000007, 0x0400000F, "; ppoff"},
        {0x0400000F, 0x0400000F, "; ppon"},
        {0x04000000, 0x04000000, "ppon"},
        {0x00300000, 0x00F00000, "m?!"},
        {0x00400000, 0x00100000, "mfm"},
        {0x00800000, 0x00F00000, "m?!"},
        {0x00090000, 0x000F0000, "aux?!"},
        {0x00003000, 0x0000F000, "a?!"},
        {0x00000F00, 0x00000F00, "b?!"},
        {0x02000200, 0x02000100, "mbon,bhi"},
        {0xF80000F0, 0xF80000F0, ""},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << test.word << "/" << test.mask);
        EXPECT_EQ(format_hardware_settings(test.word, test.mask), test.text);
    }
}

TEST(HardwareSettingsFormat, EveryKeywordPrintsAsItself)
{
    for (const char *keyword : {"ppon", "ppoff", "mbon", "mboff", "mpon", "mpoff", "moff", "mlo", "mhi", "mfm", "mfma",
                                "mfmb", "mfmab", "auxoff", "auxe", "auxa", "auxb", "aoff", "alo", "ahi", "boff", "blo",
                                "bhi"}) {
        uint32_t word = 0;
        uint32_t mask = 0;
        ASSERT_EQ(parse_hardware_settings(keyword, &word, &mask), 0) << keyword;
        EXPECT_EQ(format_hardware_settings(word, mask), keyword);
    }
}

TEST(HardwareSettingsFormat, InterpretPrintsWithoutALineEnd)
{
    testing::internal::CaptureStdout();
    interpret_hardware_settings(0x00000001, 0x0200000F);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "standby; mboff");
}

}  // namespace
