#include "follower.h"

void setup_follower() {}
void analyze_block(int32_t, const int32_t *) {}
void cleanup_follower() {}
uint32_t tick() { return 0; }
