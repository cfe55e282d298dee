#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "hardware_settings.h"

namespace {

constexpr uint32_t untouched = 0xDEADBEEF;

// The longest keyword matches first, a later keyword of a field replaces the
// earlier one, and anything but keywords and separators fails and stores nothing.
TEST(HardwareSettingsParse, KeywordsMakeWordAndMask) {
    std::vector<std::tuple<const char *, int, uint32_t, uint32_t>> cases = {
        {"PPON, MLo", 0, 0x04100000, 0x04F00000},
        {"mlo,,  auxb", 0, 0x00130000, 0x00FF0000},
        {" , ,", 0, 0, 0},
        {"mfm", 0, 0x00400000, 0x00F00000},
        {"mfmb", 0, 0x00600000, 0x00F00000},
        {"mfmab", 0, 0x00700000, 0x00F00000},
        {"pponmbon", 0, 0x06000000, 0x06000000},
        {"ahi blo aoff", 0, 0x00000100, 0x0000FF00},
        {"ppoff mboff mpoff moff auxoff aoff boff", 0, 0, 0x07FFFF00},
        {"mpon mbon auxe alo bhi", 0, 0x03011200, 0x030FFF00},
        // Replacement within a field.
        {"mlo,mhi", 0, 0x00200000, 0x00F00000},
        {"auxe,auxa", 0, 0x00020000, 0x000F0000},
        {"ppon,ppoff", 0, 0, 0x04000000},
        {"mfmabmfm", 0, 0x00400000, 0x00F00000},
    };
    for (const char *bad : {"ahix", "mlo;mhi", "pponx", "\tppon", "auxc"})
        cases.push_back({bad, 1, untouched, untouched});
    for (const auto &[text, status, expected_word, expected_mask] : cases) {
        SCOPED_TRACE(std::string("[") + text + "]");
        uint32_t word = untouched, mask = untouched, only_word = untouched, only_mask = untouched;
        EXPECT_EQ(parse_hardware_settings(text, &word, &mask), status);
        // Either result alone is stored the same way.
        parse_hardware_settings(text, &only_word, nullptr);
        parse_hardware_settings(text, nullptr, &only_mask);
        EXPECT_EQ(std::tie(word, mask, only_word, only_mask),
                  std::tie(expected_word, expected_mask, expected_word, expected_mask));
    }
}

TEST(HardwareSettingsFormat, PrintsMarkedFieldsInOrder) {
    const std::tuple<uint32_t, uint32_t, const char *> cases[] = {
        {0x06210205, 0x07FFFF0F, "running at 48KHz; ppon,mbon,mpoff,mhi,auxe,aoff,bhi"},
        {0x00030000, 0x00FFFF00, "moff,auxb,aoff,boff"},
        {0x00400000, 0x00100000, "mfm"},
        {0x01500000, 0x01F00000, "mpon,mfma"},
        {0x00121100, 0x00FFFF00, "mlo,auxa,alo,blo"},
        {0x00602000, 0x00FFF000, "mfmb,auxoff,ahi"},
        {0x00700000, 0x00F00000, "mfmab"},
        {0xFFFFFFFF, 0, ""},
        {0x00000000, 0x00000001, "off"},
        {0x00000001, 0x0000000F, "standby"},
        {0x00000002, 0x0000000F, "running at 16KHz"},
        {0x00000003, 0x0000000F, "running at 24KHz"},
        {0x00000004, 0x0000000F, "running at 32KHz"},
        {0x00000007, 0x0400000F, "; ppoff"},
        {0x00300000, 0x00F00000, "m?!"},
        {0x00090000, 0x000F0000, "aux?!"},
        {0x00003000, 0x0000F000, "a?!"},
        {0x00000F00, 0x00000F00, "b?!"},
        {0x02000200, 0x02000100, "mbon,bhi"},
        {0xF80000F0, 0xF80000F0, ""},
    };
    for (const auto &[word, mask, text] : cases)
        EXPECT_EQ(format_hardware_settings(word, mask), text) << std::hex << word << "/" << mask;
}

TEST(HardwareSettingsFormat, InterpretPrintsWithoutALineEnd) {
    testing::internal::CaptureStdout();
    interpret_hardware_settings(0x00000001, 0x0200000F);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "standby; mboff");
}

}  // namespace
