// Own header
#include "brdf/local_frame.h"

// Standard headers
#include <cmath>

LocalFrame FrameAroundAxis(const Point3& axis) {
    Point3 first;
    if (std::abs(axis.x) > std::abs(axis.y))
        first = Point3(-axis.z, 0.0f, axis.x) / std::sqrt(axis.x * axis.x + axis.z * axis.z);
    else
        first = Point3(0.0f, axis.z, -axis.y) / std::sqrt(axis.y * axis.y + axis.z * axis.z);
    return LocalFrame{first, CrossProd(axis, first), axis};
}
