#include "option_numbers.h"

#include <cctype>
#include <cstdlib>

namespace {

constexpr uint64_t widest_32_bit_magnitude = 0xFFFFFFFFu;

int digit_value(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

const unsigned char *skip_space(const unsigned char *p) {
    while (std::isspace(*p)) ++p;
    return p;
}

// base 0 picks the base from the prefix.
word_number read_number(const char *word, unsigned base) {
    auto p = skip_space(reinterpret_cast<const unsigned char *>(word));
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (base == 0) {
        if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && std::isxdigit(p[2])) {
            base = 16;
            p += 2;
        } else {
            base = p[0] == '0' ? 8 : 10;
        }
    }
    // The magnitude stops growing once it is too wide, so no length of digits can wrap it.
    uint64_t magnitude = 0;
    const unsigned char *digits = p;
    for (int digit; (digit = digit_value(*p)) < static_cast<int>(base); ++p)
        if (magnitude <= widest_32_bit_magnitude) magnitude = magnitude * base + static_cast<unsigned>(digit);
    word_number number{};
    number.whole = p != digits && *skip_space(p) == '\0';
    number.too_wide = magnitude > widest_32_bit_magnitude;
    number.value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return number;
}

}  // namespace

word_number number_in_any_base(const char *word) { return read_number(word, 0); }

word_number decimal_number(const char *word) { return read_number(word, 10); }

bool whole_real_number(const char *word, double &value) {
    char *end = nullptr;
    value = std::strtod(word, &end);
    return end != word && *skip_space(reinterpret_cast<const unsigned char *>(end)) == '\0';
}
