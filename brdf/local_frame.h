// The local shading frame of the reflectance code: three orthonormal axes whose
// third is the shading normal, so that a world vector v has local coordinates
// (v·x, v·y, v·n).
#pragma once

// Host headers
#include "point3.h"

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

// The frame that a unit axis alone determines: its first tangent lies in the
// plane of the axis and whichever of world x or y it leans towards more, the
// second is axis × first. Used wherever a lobe has no preferred azimuth.
LocalFrame FrameAroundAxis(const Point3& axis);
