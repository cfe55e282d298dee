// Allocation of sample buffers that reports failure instead of throwing.
#pragma once

#include <cstddef>
#include <string>

#include "run_state.h"

// Makes buffer hold count zero samples. On failure prints one line naming
// what and returns false.
bool allocate_samples(sample_block &buffer, std::size_t count, const std::string &what);
