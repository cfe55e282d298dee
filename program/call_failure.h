// The one-line report of a failed library call.
#pragma once

#include <cstdint>

#include "veskclient.h"

// Prints format filled with the text of code and the instance's message
// text, in that order. format holds exactly two %s.
void print_call_failure(const char *format, vesk_instance *instance, int32_t code);
