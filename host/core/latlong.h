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

// Image coordinates (u, v) of a world direction; need not be unit length. The
// zero vector gives the centre.
inline void DirectionToUV(const Point3& d, float& u, float& v) {
    const float horizontal = std::sqrt(d.x * d.x + d.y * d.y);
    u = 0.5f + std::atan2(-d.x, -d.y) * kInvTwoPi;
    v = 0.5f + std::atan2(d.z, horizontal) * kInvPi;
}

// The unit world direction at image coordinates (u, v).
inline Point3 UVToDirection(float u, float v) {
    const float azimuth = (u - 0.5f) * 2.0f * kPi;
    const float elevation = (v - 0.5f) * kPi;
    const float c = std::cos(elevation);
    return Point3(-std::sin(azimuth) * c, -std::cos(azimuth) * c, std::sin(elevation));
}

}  // namespace latlong
