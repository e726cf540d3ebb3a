// Axis-aligned box.
#pragma once

#include "point3.h"

class Box3 : public MaxHeapOperators {
public:
    Point3 pmin, pmax;
    Box3() : pmin(1e30f, 1e30f, 1e30f), pmax(-1e30f, -1e30f, -1e30f) {}
    Box3(const Point3& p, const Point3& q) : pmin(p), pmax(q) {}
};
