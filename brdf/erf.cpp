// Own header
#include "brdf/erf.h"

// Standard headers
#include <algorithm>
#include <cmath>

float ErfApprox(float x) {
    const float sign = x < 0.0f ? -1.0f : 1.0f;
    x = std::abs(x);
    // Rational variable of the fit.
    const float t = 1.0f / (1.0f + 0.3275911f * x);
    // Polynomial factor of the complementary function, in Horner order.
    const float p =
        ((((1.0614054f * t - 1.4531521f) * t + 1.4214138f) * t - 0.28449672f) * t + 0.2548296f) * t;
    return sign * (1.0f - p * std::exp(-x * x));
}

float InverseErf(float x) {
    // The bound sits first in max so that a NaN argument takes it.
    x = std::min(std::max(-0.99999f, x), 0.99999f);
    float w = -std::log((1.0f - x) * (1.0f + x));
    float p;
    if (w < 5.0f) {
        // Central branch of the fit.
        w = w - 2.5f;
        p = 2.8102264e-08f;
        p = 3.4327394e-07f + p * w;
        p = -3.5233877e-06f + p * w;
        p = -4.3915065e-06f + p * w;
        p = 0.00021858087f + p * w;
        p = -0.001253725f + p * w;
        p = -0.0041776816f + p * w;
        p = 0.24664073f + p * w;
        p = 1.5014094f + p * w;
    } else {
        // Tail branch of the fit.
        w = std::sqrt(w) - 3.0f;
        p = -0.00020021426f;
        p = 0.00010095056f + p * w;
        p = 0.0013493432f + p * w;
        p = -0.0036734284f + p * w;
        p = 0.0057395077f + p * w;
        p = -0.0076224613f + p * w;
        p = 0.0094388705f + p * w;
        p = 1.001674f + p * w;
        p = 2.8329768f + p * w;
    }
    return p * x;
}
