// Numbers read from command-line words: leading and trailing white space and
// one sign allowed around the digits.
#pragma once

#include <cstdint>

struct word_number {
    bool whole;     // the word is nothing but one number
    bool too_wide;  // the digits make a number beyond 32 bits
    int64_t value;  // the number the leading digits make (0 without digits); exact unless too_wide
};

// Decimal, 0x hexadecimal or leading-0 octal, chosen by the word's prefix.
word_number number_in_any_base(const char *word);

// Decimal only (0x200 reads as 0, and is not whole).
word_number decimal_number(const char *word);

// Whether the word is one floating-point number, and which.
bool whole_real_number(const char *word, double &value);
