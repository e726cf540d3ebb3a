// The local shading frame of the reflectance code: three orthonormal axes whose
// third is the shading normal, so that a world vector v has local coordinates
// (v·x, v·y, v·n).
#pragma once

// Host headers
#include "point3.h"

// Standard headers
#include <cmath>

// The tangent pair the shade driver builds around the normal: t perpendicular
// to the normal and b = normal × t.
struct TangentPair {
    Point3 t;
    Point3 b;
};

struct LocalFrame {
    Point3 x;
    Point3 y;
    Point3 n;

    // Local coordinates of a world vector.
    Point3 ToLocal(const Point3& v) const { return Point3(v % x, v % y, v % n); }
    // World vector of local coordinates, summed x, y, then n.
    Point3 ToWorld(const Point3& l) const { return x * l.x + y * l.y + n * l.z; }
};

// The frame that a unit axis alone determines: its first tangent is
// perpendicular to the axis and to whichever of world x and y the axis leans
// towards less, the second is axis × first. Used wherever a lobe has no
// preferred azimuth; inline, as every sampler builds one per call.
inline LocalFrame FrameAroundAxis(const Point3& axis) {
    // (−z, 0, x) / √(x² + z²) when |x| > |y|, else (0, z, −y) / √(y² + z²);
    // picked rather than branched on, as shading normals vary freely.
    const bool xMajor = std::abs(axis.x) > std::abs(axis.y);
    const float kept = xMajor ? axis.x : axis.y;
    const Point3 unscaled = xMajor ? Point3(-axis.z, 0.0f, axis.x) : Point3(0.0f, axis.z, -axis.y);
    const Point3 first = unscaled / std::sqrt(kept * kept + axis.z * axis.z);
    return LocalFrame{first, CrossProd(axis, first), axis};
}
