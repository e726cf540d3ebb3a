// The preview's soft shoulder, applied per channel after the exposure.
#pragma once

#include <algorithm>
#include <cmath>

// x / (1 + x⁵)^(1/5), formed as x · (x⁵ + 1)^(-0.2): rises from 0 like x and
// approaches 1 (monotonic up to the rounding of the last bits). A negative or NaN
// input (from a negative colour, say) is black; an input whose x⁵ is beyond the
// float range, up to infinity, is at the curve's limit, white; and rounding never
// takes the result past 1.
inline float ToneCurve(float x) {
    if (!(x > 0.0f)) return 0.0f;
    const float x2 = x * x;
    const float x5 = x2 * x2 * x;
    if (!(x5 < INFINITY)) return 1.0f;
    return std::min(x * std::pow(x5 + 1.0f, -0.2f), 1.0f);
}
