#include "tone_fit.h"

#include <cmath>

namespace {

constexpr long largest_table = 1 << 21;  // values: 16 MiB

}  // namespace

void tone_fit::terms_at(int n, double *out) const {
    // cos and sin of h w n from those of w n, by rotation.
    double c1 = c[static_cast<size_t>(n)], s1 = s[static_cast<size_t>(n)], ch = c1, sh = s1;
    out[0] = 1;
    for (int h = 1; h <= harmonics; ++h) {
        out[2 * h - 1] = ch, out[2 * h] = sh;
        double next = ch * c1 - sh * s1;
        sh = sh * c1 + ch * s1, ch = next;
    }
}

tone_fit::tone_fit(int length, double freq_hz, double rate) : length(length) {
    harmonics = 1;
    while (harmonics < fitted_harmonics && (harmonics + 1) * freq_hz <= rate / 2) ++harmonics;
    terms = 2 * harmonics + 1;
    double omega = 2 * M_PI * freq_hz / rate;
    c.resize(static_cast<size_t>(length)), s.resize(c.size());
    for (int n = 0; n < length; ++n)
        c[static_cast<size_t>(n)] = std::cos(omega * n), s[static_cast<size_t>(n)] = std::sin(omega * n);
    auto k_terms = static_cast<size_t>(terms);
    std::vector<double> row(k_terms);
    gram.assign(k_terms * k_terms, 0.0);
    std::vector<double> kept_table;
    bool keep = static_cast<long>(length) * terms <= largest_table;
    for (int n = 0; n < length; ++n) {
        terms_at(n, row.data());
        if (keep) kept_table.insert(kept_table.end(), row.begin(), row.end());
        for (size_t i = 0; i < k_terms; ++i)
            for (size_t j = 0; j < k_terms; ++j) gram[i * k_terms + j] += row[i] * row[j];
    }
    table = std::move(kept_table);
    // Gauss-Jordan on the symmetric matrix; a term that depends on the ones
    // before it (a sine at Nyquist is all zeros but for rounding) is dropped
    // rather than divided by nothing. A term of its own holds length / 2.
    std::vector<double> a = gram;
    inverse.assign(k_terms * k_terms, 0.0);
    for (size_t i = 0; i < k_terms; ++i) inverse[i * k_terms + i] = 1;
    kept_terms = 0;
    for (size_t k = 0; k < k_terms; ++k) {
        double pivot = a[k * k_terms + k];
        if (!(pivot > 1e-9 * length)) {
            for (size_t i = 0; i < k_terms; ++i)
                a[k * k_terms + i] = a[i * k_terms + k] = inverse[k * k_terms + i] = inverse[i * k_terms + k] = 0;
            continue;
        }
        ++kept_terms;
        for (size_t j = 0; j < k_terms; ++j) a[k * k_terms + j] /= pivot, inverse[k * k_terms + j] /= pivot;
        for (size_t i = 0; i < k_terms; ++i) {
            double factor = a[i * k_terms + k];
            if (i == k || factor == 0) continue;
            for (size_t j = 0; j < k_terms; ++j)
                a[i * k_terms + j] -= factor * a[k * k_terms + j],
                    inverse[i * k_terms + j] -= factor * inverse[k * k_terms + j];
        }
    }
}

fitted_window fit_window(const tone_fit &fit, const double *x, double *residual) {
    auto k_terms = static_cast<size_t>(fit.terms);
    std::vector<double> row(k_terms), projection(k_terms, 0.0), coefficient(k_terms, 0.0);
    // The kept table when there is one, else the terms worked out per sample.
    auto terms = [&](int n) -> const double * {
        if (fit.table.empty()) return fit.terms_at(n, row.data()), row.data();
        return &fit.table[static_cast<size_t>(n) * k_terms];
    };
    for (int n = 0; n < fit.length; ++n) {
        const double *t = terms(n);
        for (size_t k = 0; k < k_terms; ++k) projection[k] += x[n] * t[k];
    }
    for (size_t i = 0; i < k_terms; ++i)
        for (size_t j = 0; j < k_terms; ++j) coefficient[i] += fit.inverse[i * k_terms + j] * projection[j];
    for (int n = 0; n < fit.length; ++n) {
        const double *t = terms(n);
        double model = 0;
        for (size_t k = 0; k < k_terms; ++k) model += coefficient[k] * t[k];
        residual[n] = x[n] - model;
    }
    fitted_window out;
    out.dc = coefficient[0];
    out.phase = std::atan2(-coefficient[2], coefficient[1]);
    for (int h = 1; h <= fit.harmonics; ++h) {
        size_t ci = 2 * static_cast<size_t>(h) - 1, si = ci + 1;
        double a = coefficient[ci], b = coefficient[si];
        bool both = fit.gram[si * k_terms + si] > 0 && fit.inverse[si * k_terms + si] != 0 &&
                    fit.inverse[ci * k_terms + ci] != 0;
        // A lone cosine (at Nyquist) holds its mean square over the window, not half its amplitude squared.
        out.power.push_back(both ? (a * a + b * b) / 2
                                 : (a * a * fit.gram[ci * k_terms + ci] + b * b * fit.gram[si * k_terms + si]) /
                                       fit.length);
    }
    return out;
}
