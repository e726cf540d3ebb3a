// Own header
#include "brdf/rotation.h"

// Standard headers
#include <cmath>

RowMatrix3 RotationAboutAxis(const Point3& axis, float angle) {
    const float x = axis.x;
    const float y = axis.y;
    const float z = axis.z;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float k = 1.0f - c;
    // c I + s [axis]× + k axis axisᵀ, row by row.
    return RowMatrix3{
        Point3(x * k * x + c, k * x * y - s * z, k * x * z + s * y),
        Point3(k * y * x + s * z, y * k * y + c, k * y * z - s * x),
        Point3(k * x * z - s * y, k * z * y + s * x, z * k * z + c),
    };
}
