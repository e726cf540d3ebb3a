// The Oren–Nayar factor: its limits, its branches and its symmetries.

// Project headers
#include "shading/oren_nayar.h"

// Standard headers
#include <cmath>

#include <gtest/gtest.h>

namespace {

constexpr float kA = 0.55898f;  // A at roughness 1
constexpr float kB = 0.43416f;  // B at roughness 1

Point3 Polar(float theta, float phi) {
    return Point3(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
                  std::cos(theta));
}

const Point3 kUp(0.0f, 0.0f, 1.0f);

TEST(OrenNayarFactor, SmoothSurfaceIsLambertian) {
    EXPECT_EQ(OrenNayarFactor(Polar(0.7f, 0.2f), Polar(1.1f, 0.3f), kUp, 0.0f), 1.0f);
}

TEST(OrenNayarFactor, WithoutCommonAzimuthOnlyAIsLeft) {
    // Both along N, light along N, opposite azimuths, and a grazing eye over a
    // light along N (where the 1e-20 floor keeps tan β finite).
    EXPECT_NEAR(OrenNayarFactor(kUp, kUp, kUp, 1.0f), kA, 1e-5f);
    EXPECT_NEAR(OrenNayarFactor(kUp, Polar(0.9f, 1.0f), kUp, 1.0f), kA, 1e-5f);
    EXPECT_NEAR(OrenNayarFactor(Polar(0.5f, 0.0f), Polar(0.8f, 3.1415927f), kUp, 1.0f), kA, 1e-5f);
    EXPECT_NEAR(OrenNayarFactor(kUp, Polar(1.5707964f, 0.4f), kUp, 1.0f), kA, 1e-5f);
}

TEST(OrenNayarFactor, SameAzimuthAddsRetroReflection) {
    // Light at 60°, eye at 30°, same azimuth: sin α = sin 60°, tan β = tan 30°.
    const float expected = kA + kB * std::sin(1.0471976f) * std::tan(0.5235988f);
    EXPECT_NEAR(OrenNayarFactor(Polar(1.0471976f, 0.8f), Polar(0.5235988f, 0.8f), kUp, 1.0f),
                expected, 1e-5f);
}

TEST(OrenNayarFactor, ReciprocalAndIndependentOfAzimuthOrigin) {
    const Point3 N = Normalize(Point3(0.3f, -0.6f, 0.7f));
    const Point3 wi = Normalize(N + Point3(0.5f, 0.2f, 0.1f));
    const Point3 wo = Normalize(N + Point3(0.2f, 0.6f, -0.1f));
    const float f = OrenNayarFactor(wi, wo, N, 0.6f);
    EXPECT_NEAR(OrenNayarFactor(wo, wi, N, 0.6f), f, 1e-6f);
    EXPECT_GT(f, 1.0f - 0.6f * 0.6f * 2.4674013f / (2.0f * 0.6f * 0.6f * 2.4674013f + 0.66f));
    // The same pair turned about the z axis together with the normal.
    const auto turn = [](const Point3& v) { return Point3(-v.y, v.x, v.z); };
    EXPECT_NEAR(OrenNayarFactor(turn(wi), turn(wo), turn(N), 0.6f), f, 1e-5f);
}

}  // namespace
