// The input follower (lock, frequency and level of one captured channel) and
// the millisecond clock. Process-wide state, one thread.
#pragma once

#include <cstdint>

void setup_follower();
// Examines one block of n samples and prints a line after each rising zero crossing.
void analyze_block(int32_t n, const int32_t *samples);
void cleanup_follower();

// Milliseconds since the first call; the first call returns 0.
uint32_t tick();
