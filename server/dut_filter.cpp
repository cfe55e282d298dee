#include "dut_filter.h"

#include <cmath>
#include <numbers>

namespace vesksim {

biquad butterworth_section(section_kind kind, double corner_hz, double rate_hz) {
    const double k = std::tan(std::numbers::pi * corner_hz / rate_hz);
    const double root2 = std::numbers::sqrt2;
    const double d = 1 + root2 * k + k * k;
    biquad q;
    q.a1 = 2 * (k * k - 1) / d;
    q.a2 = (1 - root2 * k + k * k) / d;
    if (kind == section_kind::lowpass) {
        q.b0 = k * k / d;
        q.b1 = 2 * q.b0;
    } else {
        q.b0 = 1 / d;
        q.b1 = -2 * q.b0;
    }
    q.b2 = q.b0;
    return q;
}

}  // namespace vesksim
