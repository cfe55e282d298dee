#include "option_numbers.h"

#include <cctype>

namespace {

int digit_value(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

// base 0 picks the base from the prefix.
int32_t read_number(const char *word, unsigned base)
{
    auto p = reinterpret_cast<const unsigned char *>(word);
    while (std::isspace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (base == 0) {
        if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && std::isxdigit(p[2])) {
            base = 16;
            p += 2;
        } else {
            base = p[0] == '0' ? 8 : 10;
        }
    }
    // Unsigned arithmetic wraps, which keeps exactly the low 32 bits however long the number is.
    uint32_t value = 0;
    for (int digit; (digit = digit_value(*p)) < static_cast<int>(base); ++p)
        value = value * base + static_cast<uint32_t>(digit);
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t number_in_any_base(const char *word) { return read_number(word, 0); }

int32_t decimal_number(const char *word) { return read_number(word, 10); }
