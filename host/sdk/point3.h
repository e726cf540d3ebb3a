// Three-component single-precision vector of the host's geometry library.
#pragma once

#include "maxheap.h"

#include <cmath>

class Point3 : public MaxHeapOperators {
public:
    float x, y, z;

    Point3() = default;  // uninitialised, as in the host
    constexpr Point3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}
    constexpr Point3(double X, double Y, double Z)
        : x(static_cast<float>(X)), y(static_cast<float>(Y)), z(static_cast<float>(Z)) {}
    constexpr Point3(int X, int Y, int Z)
        : x(static_cast<float>(X)), y(static_cast<float>(Y)), z(static_cast<float>(Z)) {}
    explicit constexpr Point3(const float af[3]) : x(af[0]), y(af[1]), z(af[2]) {}

    float& operator[](int i) { return (&x)[i]; }
    const float& operator[](int i) const { return (&x)[i]; }

    float Length() const { return std::sqrt(x * x + y * y + z * z); }
    float FLength() const { return std::sqrt(x * x + y * y + z * z); }
    float LengthSquared() const { return x * x + y * y + z * z; }
    Point3 Normalize() const;
    Point3 FNormalize() const { return Normalize(); }

    constexpr Point3 operator-() const { return Point3(-x, -y, -z); }
    constexpr Point3 operator+() const { return *this; }

    Point3& operator+=(const Point3& a) {
        x += a.x;
        y += a.y;
        z += a.z;
        return *this;
    }
    Point3& operator-=(const Point3& a) {
        x -= a.x;
        y -= a.y;
        z -= a.z;
        return *this;
    }
    Point3& operator*=(float f) {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }
    Point3& operator/=(float f) {
        x /= f;
        y /= f;
        z /= f;
        return *this;
    }
    Point3& operator*=(const Point3& a) {
        x *= a.x;
        y *= a.y;
        z *= a.z;
        return *this;
    }

    constexpr Point3 operator+(const Point3& a) const { return Point3(x + a.x, y + a.y, z + a.z); }
    constexpr Point3 operator-(const Point3& a) const { return Point3(x - a.x, y - a.y, z - a.z); }
    constexpr Point3 operator/(const Point3& a) const { return Point3(x / a.x, y / a.y, z / a.z); }
    constexpr Point3 operator*(float f) const { return Point3(x * f, y * f, z * f); }
    constexpr Point3 operator/(float f) const { return Point3(x / f, y / f, z / f); }
    constexpr Point3 operator+(float f) const { return Point3(x + f, y + f, z + f); }
    constexpr Point3 operator-(float f) const { return Point3(x - f, y - f, z - f); }
    // Component-wise product.
    constexpr Point3 operator*(const Point3& a) const { return Point3(x * a.x, y * a.y, z * a.z); }
    // Dot product.
    constexpr float operator%(const Point3& a) const { return x * a.x + y * a.y + z * a.z; }
    // Cross product.
    constexpr Point3 operator^(const Point3& b) const {
        return Point3(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x);
    }

    constexpr int operator==(const Point3& p) const { return p.x == x && p.y == y && p.z == z; }
    constexpr int operator!=(const Point3& p) const { return !(*this == p); }
};

constexpr Point3 operator*(float f, const Point3& a) { return Point3(a.x * f, a.y * f, a.z * f); }

inline float Length(const Point3& v) { return v.Length(); }
inline float FLength(const Point3& v) { return v.FLength(); }
inline float LengthSquared(const Point3& v) { return v.LengthSquared(); }
constexpr float DotProd(const Point3& a, const Point3& b) { return a % b; }
constexpr Point3 CrossProd(const Point3& a, const Point3& b) { return a ^ b; }

// Unit vector in the direction of v. The zero vector normalises to zero rather
// than to NaN, so that degenerate geometry shades black instead of poisoning sums.
inline Point3 Normalize(const Point3& v) {
    const float len = v.Length();
    if (len == 0.0f) return Point3(0.0f, 0.0f, 0.0f);
    return Point3(v.x / len, v.y / len, v.z / len);
}
inline Point3 FNormalize(const Point3& v) { return Normalize(v); }
inline Point3 Point3::Normalize() const { return ::Normalize(*this); }
