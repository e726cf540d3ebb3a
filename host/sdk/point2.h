// Two-component single-precision vector.
#pragma once

#include "maxheap.h"

class Point2 : public MaxHeapOperators {
public:
    float x, y;

    Point2() = default;
    constexpr Point2(float X, float Y) : x(X), y(Y) {}
    constexpr Point2(double X, double Y) : x(static_cast<float>(X)), y(static_cast<float>(Y)) {}

    float& operator[](int i) { return (&x)[i]; }
    const float& operator[](int i) const { return (&x)[i]; }
    constexpr Point2 operator+(const Point2& a) const { return Point2(x + a.x, y + a.y); }
    constexpr Point2 operator-(const Point2& a) const { return Point2(x - a.x, y - a.y); }
    constexpr Point2 operator*(float f) const { return Point2(x * f, y * f); }
    constexpr int operator==(const Point2& p) const { return p.x == x && p.y == y; }
};

class IPoint2 : public MaxHeapOperators {
public:
    int x, y;
    IPoint2() = default;
    constexpr IPoint2(int X, int Y) : x(X), y(Y) {}
};
