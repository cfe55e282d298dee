// Numbers read from command-line words the way the options expect them:
// leading white space and a sign allowed, reading stops at the first
// character that does not fit, no digits give 0, and a number too wide for
// 32 bits keeps its low 32 bits.
#pragma once

#include <cstdint>

// Decimal, 0x hexadecimal or leading-0 octal, chosen by the word's prefix.
int32_t number_in_any_base(const char *word);

// Decimal only (0x200 reads as 0).
int32_t decimal_number(const char *word);
