// RGBA colour of four single-precision floats, the host's AColor.
#pragma once

#include "color.h"

class AColor : public MaxHeapOperators {
public:
    float r, g, b, a;

    AColor() = default;  // uninitialised, as in the host
    constexpr AColor(float R, float G, float B, float A = 1.0f) : r(R), g(G), b(B), a(A) {}
    constexpr AColor(double R, double G, double B, double A = 1.0)
        : r(static_cast<float>(R)),
          g(static_cast<float>(G)),
          b(static_cast<float>(B)),
          a(static_cast<float>(A)) {}
    constexpr AColor(const Color& c, float alph = 1.0f) : r(c.r), g(c.g), b(c.b), a(alph) {}

    float& operator[](int i) { return (&r)[i]; }
    const float& operator[](int i) const { return (&r)[i]; }
    operator Color() const { return Color(r, g, b); }

    void Black() {
        r = g = b = 0.0f;
        a = 1.0f;
    }
    void White() {
        r = g = b = 1.0f;
        a = 1.0f;
    }
    void ClampMinMax() {
        float* c = &r;
        for (int i = 0; i < 4; ++i) c[i] = c[i] < 0.0f ? 0.0f : (c[i] > 1.0f ? 1.0f : c[i]);
    }

    constexpr AColor operator+(const AColor& c) const {
        return AColor(r + c.r, g + c.g, b + c.b, a + c.a);
    }
    constexpr AColor operator-(const AColor& c) const {
        return AColor(r - c.r, g - c.g, b - c.b, a - c.a);
    }
    constexpr AColor operator*(const AColor& c) const {
        return AColor(r * c.r, g * c.g, b * c.b, a * c.a);
    }
    constexpr AColor operator*(float f) const { return AColor(r * f, g * f, b * f, a * f); }
    AColor& operator+=(const AColor& c) {
        r += c.r;
        g += c.g;
        b += c.b;
        a += c.a;
        return *this;
    }
    AColor& operator*=(float f) {
        r *= f;
        g *= f;
        b *= f;
        a *= f;
        return *this;
    }

    constexpr int operator==(const AColor& c) const {
        return r == c.r && g == c.g && b == c.b && a == c.a;
    }
    constexpr int operator!=(const AColor& c) const { return !(*this == c); }
};

constexpr AColor operator*(float f, const AColor& c) { return c * f; }
constexpr float Intens(const AColor& c) { return (c.r + c.g + c.b) / 3.0f; }

inline Color::Color(const AColor& c) : r(c.r), g(c.g), b(c.b) {}
