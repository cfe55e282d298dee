#include <gtest/gtest.h>

#include "option_numbers.h"

namespace {

TEST(OptionNumbers, ReadLikeTheOptionsExpect)
{
    const struct {
        const char *word;
        int32_t any_base;
        int32_t decimal;
    } cases[] = {
        {"42", 42, 42},
        {"010", 8, 10},
        {"0x10", 16, 0},
        {"0x", 0, 0},
        {"089", 0, 89},
        {"  7", 7, 7},
        {"\t\n-5", -5, -5},
        {"-010", -8, -10},
        {"12abc", 12, 12},
        {"abc", 0, 0},
        {"", 0, 0},
        {"- 5", 0, 0},
        {"2147483648", INT32_MIN, INT32_MIN},
        {"4294967295", -1, -1},
        {"4294967296", 0, 0},
        {"-2147483649", 2147483647, 2147483647},
        {"0x100000005", 5, 0},
        // Beyond 64 bits the low 32 bits still survive, where a saturating reading would not.
        {"18446744073709551617", 1, 1},
        {"36893488147419103233", 1, 1},
        {"99999999999999999999", 1661992959, 1661992959},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(std::string("[") + test.word + "]");
        EXPECT_EQ(number_in_any_base(test.word), test.any_base);
        EXPECT_EQ(decimal_number(test.word), test.decimal);
    }
}

}  // namespace
