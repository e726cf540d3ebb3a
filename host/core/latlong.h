// The latitude-longitude layout of environment images.
//
// World +Z is up. The image centre (u = 0.5, v = 0.5) looks along world -Y, at
// the horizon. For a viewer facing the centre with +Z up, u grows to the right,
// towards world -X (u = 0.75 at -X, u = 0.25 at +X); the left and right edges
// (u = 0 and 1) meet behind the viewer, at world +Y. v is up: v = 1, the top row
// of the picture, is the zenith (+Z), v = 0, the bottom row, the nadir (-Z).
#pragma once

#include "point3.h"

#include <cmath>

namespace latlong {

inline constexpr float kPi = 3.14159265f;
inline constexpr float kInvTwoPi = 0.159154943f;
inline constexpr float kInvPi = 0.318309886f;

// atan2(y, x) within 2e-5 radians (a sixtieth of a texel of a 4096-wide
// picture), a polynomial instead of the library call: environment lookups make
// two of them each. (0, 0) gives 0 or pi by the sign of x, as atan2 does for +0.
inline float Atan2(float y, float x) {
    const float ax = std::fabs(x);
    const float ay = std::fabs(y);
    const float hi = ax > ay ? ax : ay;
    const float lo = ax > ay ? ay : ax;
    const float t = hi > 0.0f ? lo / hi : 0.0f;
    const float t2 = t * t;
    float r =
        t *
        (0.99997726f +
         t2 * (-0.33262347f +
               t2 * (0.19354346f + t2 * (-0.11643287f + t2 * (0.05265332f + t2 * -0.01172120f)))));
    if (ay > ax) r = 0.5f * kPi - r;
    if (x < 0.0f) r = kPi - r;
    return y < 0.0f ? -r : r;
}

// Image coordinates (u, v) of a world direction; need not be unit length. The
// zero vector gives the centre.
inline void DirectionToUV(const Point3& d, float& u, float& v) {
    const float horizontal = std::sqrt(d.x * d.x + d.y * d.y);
    u = 0.5f + Atan2(-d.x, -d.y) * kInvTwoPi;
    v = 0.5f + Atan2(d.z, horizontal) * kInvPi;
}

// The unit world direction at image coordinates (u, v).
inline Point3 UVToDirection(float u, float v) {
    const float azimuth = (u - 0.5f) * 2.0f * kPi;
    const float elevation = (v - 0.5f) * kPi;
    const float c = std::cos(elevation);
    return Point3(-std::sin(azimuth) * c, -std::cos(azimuth) * c, std::sin(elevation));
}

}  // namespace latlong
