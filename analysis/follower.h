// The input follower (lock, frequency and level of one captured channel) and
// the millisecond clock. Process-wide state, one thread.
#pragma once

#include <cstdint>

// Resets the follower for a run at the given sample rate; called once before
// any block is analysed.
void setup_follower(uint32_t sample_rate);
// Examines one block of n samples and prints a line on standard output after
// each rising zero crossing that has an earlier one to measure against.
void analyze_block(int32_t n, const int32_t *samples);
// Forgets the carried history at shutdown.
void cleanup_follower();

// Milliseconds since the first call; the first call returns 0.
uint32_t tick();
