#include "fourier.h"

#include <cmath>

namespace {

using complex = std::complex<double>;

bool power_of_two(size_t n) { return n && !(n & (n - 1)); }

// e^(sign 2 pi i k / n), reduced first so that large k keep full precision.
complex unit_root(int64_t k, int64_t n, double sign) {
    k %= n;
    return std::polar(1.0, sign * 2 * M_PI * static_cast<double>(k) / static_cast<double>(n));
}

void radix_two(std::vector<complex> &x, double sign) {
    size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    std::vector<complex> roots(n / 2);
    for (size_t k = 0; k < n / 2; ++k) roots[k] = unit_root(int64_t(k), int64_t(n), sign);
    for (size_t length = 2; length <= n; length <<= 1) {
        size_t stride = n / length;
        for (size_t start = 0; start < n; start += length)
            for (size_t k = 0; k < length / 2; ++k) {
                complex even = x[start + k], odd = x[start + k + length / 2] * roots[k * stride];
                x[start + k] = even + odd;
                x[start + k + length / 2] = even - odd;
            }
    }
}

// Any length as a circular convolution of a power-of-two length (Bluestein).
void chirp(std::vector<complex> &x, double sign) {
    int64_t n = int64_t(x.size());
    size_t length = 1;
    while (length < size_t(2 * n - 1)) length <<= 1;
    std::vector<complex> w(static_cast<size_t>(n)), a(length), b(length);
    for (int64_t k = 0; k < n; ++k) w[size_t(k)] = unit_root(k * k % (2 * n), 2 * n, sign);
    for (int64_t k = 0; k < n; ++k) a[size_t(k)] = x[size_t(k)] * w[size_t(k)];
    b[0] = std::conj(w[0]);
    for (int64_t k = 1; k < n; ++k) b[size_t(k)] = b[length - size_t(k)] = std::conj(w[size_t(k)]);
    radix_two(a, -1);
    radix_two(b, -1);
    for (size_t k = 0; k < length; ++k) a[k] *= b[k];
    radix_two(a, 1);
    for (int64_t k = 0; k < n; ++k) x[size_t(k)] = w[size_t(k)] * a[size_t(k)] / double(length);
}

}  // namespace

void fourier_transform(std::vector<complex> &x, bool inverse) {
    double sign = inverse ? 1 : -1;
    if (power_of_two(x.size()))
        radix_two(x, sign);
    else if (x.size() > 1)
        chirp(x, sign);
}
