// RGB colour of three single-precision floats, the host's Color.
#pragma once

#include "maxheap.h"
#include "point3.h"

class AColor;

class Color : public MaxHeapOperators {
public:
    float r, g, b;

    Color() = default;  // uninitialised, as in the host
    constexpr Color(float R, float G, float B) : r(R), g(G), b(B) {}
    constexpr Color(double R, double G, double B)
        : r(static_cast<float>(R)), g(static_cast<float>(G)), b(static_cast<float>(B)) {}
    constexpr Color(int R, int G, int B)
        : r(static_cast<float>(R)), g(static_cast<float>(G)), b(static_cast<float>(B)) {}
    explicit constexpr Color(const Point3& p) : r(p.x), g(p.y), b(p.z) {}
    explicit Color(const AColor& c);
    explicit constexpr Color(const float af[3]) : r(af[0]), g(af[1]), b(af[2]) {}

    float& operator[](int i) { return (&r)[i]; }
    const float& operator[](int i) const { return (&r)[i]; }
    operator Point3() const { return Point3(r, g, b); }

    void Black() { r = g = b = 0.0f; }
    void White() { r = g = b = 1.0f; }

    // Clamps every channel to [0, 1], in place.
    void ClampMinMax() {
        r = r < 0.0f ? 0.0f : (r > 1.0f ? 1.0f : r);
        g = g < 0.0f ? 0.0f : (g > 1.0f ? 1.0f : g);
        b = b < 0.0f ? 0.0f : (b > 1.0f ? 1.0f : b);
    }
    void ClampMax() {
        if (r > 1.0f) r = 1.0f;
        if (g > 1.0f) g = 1.0f;
        if (b > 1.0f) b = 1.0f;
    }
    void ClampMin() {
        if (r < 0.0f) r = 0.0f;
        if (g < 0.0f) g = 0.0f;
        if (b < 0.0f) b = 0.0f;
    }

    constexpr Color operator-() const { return Color(-r, -g, -b); }
    constexpr Color operator+() const { return *this; }
    Color& operator+=(const Color& c) {
        r += c.r;
        g += c.g;
        b += c.b;
        return *this;
    }
    Color& operator-=(const Color& c) {
        r -= c.r;
        g -= c.g;
        b -= c.b;
        return *this;
    }
    Color& operator*=(const Color& c) {
        r *= c.r;
        g *= c.g;
        b *= c.b;
        return *this;
    }
    Color& operator*=(float f) {
        r *= f;
        g *= f;
        b *= f;
        return *this;
    }
    Color& operator/=(float f) {
        r /= f;
        g /= f;
        b /= f;
        return *this;
    }

    constexpr Color operator+(const Color& c) const { return Color(r + c.r, g + c.g, b + c.b); }
    constexpr Color operator-(const Color& c) const { return Color(r - c.r, g - c.g, b - c.b); }
    constexpr Color operator*(const Color& c) const { return Color(r * c.r, g * c.g, b * c.b); }
    constexpr Color operator/(const Color& c) const { return Color(r / c.r, g / c.g, b / c.b); }
    constexpr Color operator*(float f) const { return Color(r * f, g * f, b * f); }
    constexpr Color operator/(float f) const { return Color(r / f, g / f, b / f); }
    constexpr Color operator+(float f) const { return Color(r + f, g + f, b + f); }
    constexpr Color operator-(float f) const { return Color(r - f, g - f, b - f); }

    constexpr int operator==(const Color& c) const { return r == c.r && g == c.g && b == c.b; }
    constexpr int operator!=(const Color& c) const { return !(*this == c); }
};

constexpr Color operator*(float f, const Color& a) { return Color(a.r * f, a.g * f, a.b * f); }
constexpr float Intens(const Color& c) { return (c.r + c.g + c.b) / 3.0f; }
