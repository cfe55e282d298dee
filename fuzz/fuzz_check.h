// Invariant checks for the fuzz targets: a broken invariant is a finding, so
// it names itself and aborts, which libFuzzer reports with the input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void require(bool holds, const char *invariant) {
    if (!holds) std::fprintf(stderr, "invariant broken: %s\n", invariant), std::abort();
}
