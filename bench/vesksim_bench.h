// vesksim at --speed 0, read through the library: how many blocks per second
// the simulated server hands out when the client reads as fast as it can.
#pragma once

#include <string>

void register_vesksim_benchmark(const std::string &vesksim_path);
