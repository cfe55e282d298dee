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
        {"pponmbon", 0, 0x06000000, 0x06000000},
        {"ahi blo aoff", 0, 0x00000100, 0x0000FF00},
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
        {0xFFFFFFFF, 0, ""},
        {0x00000000, 0x00000001, "off"},
        {0x00000006, 0x0400000F, "; ppoff"},
        {0x02000200, 0x02000100, "mbon,bhi"},
        {0xF80000F0, 0xF80000F0, ""},
    };
    for (const auto &[word, mask, text] : cases)
        EXPECT_EQ(format_hardware_settings(word, mask), text) << std::hex << word << "/" << mask;
}

// Every value of every field, the last named one and the first unnamed one included.
TEST(HardwareSettingsFormat, EveryFieldValueHasItsName) {
    using names = std::vector<std::string>;
    const std::tuple<uint32_t, names, std::string> fields[] = {
        {0x0000000F,
         {"off", "standby", "running at 16KHz", "running at 24KHz", "running at 32KHz", "running at 48KHz"},
         ""},
        {0x00000F00, {"boff", "blo", "bhi"}, "b?!"},
        {0x0000F000, {"aoff", "alo", "ahi"}, "a?!"},
        {0x000F0000, {"auxoff", "auxe", "auxa", "auxb"}, "aux?!"},
        {0x00F00000, {"moff", "mlo", "mhi", "m?!", "mfm", "mfma", "mfmb", "mfmab"}, "m?!"},
        {0x01000000, {"mpoff", "mpon"}, ""},
        {0x02000000, {"mboff", "mbon"}, ""},
        {0x04000000, {"ppoff", "ppon"}, ""},
    };
    for (const auto &[mask, named, unnamed] : fields) {
        const int shift = __builtin_ctz(mask);
        for (uint32_t value = 0; value <= mask >> shift; ++value) {
            const std::string name = value < named.size() ? named[value] : unnamed;
            EXPECT_EQ(format_hardware_settings(value << shift, mask), name) << std::hex << (value << shift);
            // Each keyword reads back as its value (the master state has none).
            uint32_t word = 0, marked = 0;
            if (mask == 0x0000000F || name == unnamed) continue;
            EXPECT_EQ(parse_hardware_settings(name.c_str(), &word, &marked), 0) << name;
            EXPECT_EQ(std::pair(word, marked), std::pair(value << shift, mask)) << name;
        }
    }
}

TEST(HardwareSettingsFormat, InterpretPrintsWithoutALineEnd) {
    testing::internal::CaptureStdout();
    interpret_hardware_settings(0x00000001, 0x0200000F);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "standby; mboff");
}

}  // namespace
