// Rotation of vectors about an axis, used to turn the anisotropic shading frame.
#pragma once

// Host headers
#include "point3.h"

// A 3×3 matrix kept as its rows; it acts on a column vector v as
// (row0·v, row1·v, row2·v).
struct RowMatrix3 {
    Point3 row0;
    Point3 row1;
    Point3 row2;

    Point3 Apply(const Point3& v) const { return Point3(row0 % v, row1 % v, row2 % v); }
};

// Right-handed rotation by angle (radians) about axis, by Rodrigues' formula;
// the axis is used as given, without normalising. A positive angle turns a
// vector perpendicular to a unit axis towards axis × v.
RowMatrix3 RotationAboutAxis(const Point3& axis, float angle);
