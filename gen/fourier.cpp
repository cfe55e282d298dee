#include "fourier.h"

#include <cmath>

namespace {

using complex = std::complex<double>;

bool power_of_two(size_t n) { return n && !(n & (n - 1)); }

// e^(-2 pi i k / n), reduced first so that large k keep full precision.
complex unit_root(int64_t k, int64_t n) {
    k %= n;
    return std::polar(1.0, -2 * M_PI * static_cast<double>(k) / static_cast<double>(n));
}

void radix_two(const fourier_plan &plan, std::vector<complex> &x) {
    size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        size_t stride = n / length;
        for (size_t start = 0; start < n; start += length)
            for (size_t k = 0; k < length / 2; ++k) {
                complex even = x[start + k], odd = x[start + k + length / 2] * plan.roots[k * stride];
                x[start + k] = even + odd;
                x[start + k + length / 2] = even - odd;
            }
    }
}

void chirp(const fourier_plan &plan, std::vector<complex> &x) {
    const fourier_plan &padded = plan.padded.front();
    std::vector<complex> a(padded.size);
    for (size_t k = 0; k < plan.size; ++k) a[k] = x[k] * plan.chirp[k];
    radix_two(padded, a);
    for (size_t k = 0; k < padded.size; ++k) a[k] = std::conj(a[k] * plan.chirp_spectrum[k]);
    radix_two(padded, a);  // the inverse, by conjugates
    for (size_t k = 0; k < plan.size; ++k) x[k] = plan.chirp[k] * std::conj(a[k]) / double(padded.size);
}

}  // namespace

fourier_plan plan_fourier(size_t size) {
    fourier_plan plan;
    plan.size = size;
    if (power_of_two(size)) {
        plan.roots.resize(size / 2);
        for (size_t k = 0; k < size / 2; ++k) plan.roots[k] = unit_root(int64_t(k), int64_t(size));
        return plan;
    }
    if (size < 2) return plan;
    // X[k] = w[k] sum of x[n] w[n] conj(w[k - n]), w[n] = e^(-pi i n^2 / N).
    int64_t n = int64_t(size);
    size_t length = 1;
    while (length < 2 * size - 1) length <<= 1;
    plan.padded.push_back(plan_fourier(length));
    plan.chirp.resize(size);
    for (int64_t k = 0; k < n; ++k) plan.chirp[size_t(k)] = unit_root(k * k % (2 * n), 2 * n);
    plan.chirp_spectrum.assign(length, 0);
    plan.chirp_spectrum[0] = 1;
    for (size_t k = 1; k < size; ++k)
        plan.chirp_spectrum[k] = plan.chirp_spectrum[length - k] = std::conj(plan.chirp[k]);
    radix_two(plan.padded.front(), plan.chirp_spectrum);
    return plan;
}

void fourier_transform(const fourier_plan &plan, std::vector<complex> &x, bool inverse) {
    if (plan.size < 2) return;
    if (inverse)
        for (complex &v : x) v = std::conj(v);
    if (plan.roots.empty())
        chirp(plan, x);
    else
        radix_two(plan, x);
    if (inverse)
        for (complex &v : x) v = std::conj(v);
}
