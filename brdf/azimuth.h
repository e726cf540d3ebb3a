// Azimuth of a local-frame direction (shading normal along +z), shared by the
// microfacet distributions.
#pragma once

// Host headers
#include "point3.h"

// Standard headers
#include <algorithm>
#include <cmath>

// Cosine of the azimuth of w; a direction along the normal has azimuth 0.
inline float CosAzimuth(const Point3& w) {
    const float s = std::sqrt(std::max(0.0f, 1.0f - w.z * w.z));
    if (s == 0.0f) return 1.0f;
    return std::min(std::max(-1.0f, w.x / s), 1.0f);
}

// Sine of the azimuth of w; a direction along the normal has azimuth 0.
inline float SinAzimuth(const Point3& w) {
    const float s = std::sqrt(std::max(0.0f, 1.0f - w.z * w.z));
    if (s == 0.0f) return 0.0f;
    return std::min(std::max(-1.0f, w.y / s), 1.0f);
}
