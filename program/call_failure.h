// The one-line report of a failed library call.
#pragma once

#include <cstdint>
#include <cstdio>

#include "veskclient.h"

// Prints format filled with the text of code and the instance's message
// text, in that order. A macro rather than a function so that the compiler
// checks every format against the two texts.
#define print_call_failure(format, instance, code)                                                                     \
    std::printf(format, vesk_returntext((instance), (code)), vesk_errtext(instance))
