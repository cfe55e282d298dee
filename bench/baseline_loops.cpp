#include "baseline_loops.h"

// Byte swaps vectorise only with a byte shuffle (SSSE3 and up on x86-64), so
// the loops get a clone for AVX2 picked at load time.
#if defined(__x86_64__)
#define VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VECTOR_CLONES
#endif

VECTOR_CLONES void swap_in_place(uint32_t *words, size_t count) {
    for (size_t i = 0; i < count; ++i) words[i] = __builtin_bswap32(words[i]);
}

VECTOR_CLONES void copy_swapped(uint32_t *wire, const int32_t *samples, size_t count) {
    for (size_t i = 0; i < count; ++i) wire[i] = __builtin_bswap32(static_cast<uint32_t>(samples[i]));
}

void copy_ramped_swapped(uint32_t *wire, const int32_t *samples, size_t count, bool rising) {
    const double step = 1.0 / static_cast<double>(count);
    double gain = 0.0;
    for (size_t j = 0; j < count; ++j) {
        const size_t at = rising ? j : count - 1 - j;
        const auto scaled = static_cast<int32_t>(samples[at] * gain);
        wire[at] = __builtin_bswap32(static_cast<uint32_t>(scaled));
        gain += step;
        if (gain > 1.0) gain = 1.0;
    }
}
