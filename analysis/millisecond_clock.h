// The arithmetic of the millisecond clock, apart from reading the time.
#pragma once

#include <cstdint>
#include <sys/time.h>

// Milliseconds from one time to a later one, wrapping after 2^32 ms.
uint32_t milliseconds_between(const timeval &from, const timeval &to);
