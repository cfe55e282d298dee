// File names are bytes: these check where they are valid UTF-8, for the
// reports whose formats require it.
#pragma once

#include <cstddef>
#include <string>

// Length of the well-formed UTF-8 sequence at text[at] (1 to 4), or 0 when
// the byte there starts none (stray continuation, overlong form, surrogate,
// beyond U+10FFFF, cut short).
size_t utf8_sequence_length(const std::string &text, size_t at);
