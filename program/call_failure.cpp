#include "call_failure.h"

#include <cstdio>

void print_call_failure(const char *format, vesk_instance *instance, int32_t code)
{
    std::printf(format, vesk_returntext(instance, code), vesk_errtext(instance));
}
