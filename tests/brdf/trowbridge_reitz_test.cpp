// Values, branches and limits of the Trowbridge-Reitz distribution.

// Project headers
#include "brdf/trowbridge_reitz.h"

// Standard headers
#include <cmath>

#include <gtest/gtest.h>

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kLargestU1 = 32766.0f / 32767.0f;

Point3 FromTangent(float tanTheta, float phi) {
    return Normalize(Point3(tanTheta * std::cos(phi), tanTheta * std::sin(phi), 1.0f));
}

TEST(TrowbridgeReitzNdf, PeakTangentPlaneAndAxes) {
    EXPECT_NEAR(TrowbridgeReitzNdf(Point3(0.0f, 0.0f, 1.0f), 0.2f, 0.5f),
                1.0f / (kPi * 0.2f * 0.5f), 1e-4f);
    EXPECT_EQ(TrowbridgeReitzNdf(Point3(0.0f, 1.0f, 0.0f), 0.2f, 0.5f), 0.0f);
    // Tilted by tanθ = α along an axis, 1 + e = 2 with that axis' α.
    const float cos4 = std::pow(Normalize(Point3(0.2f, 0.0f, 1.0f)).z, 4.0f);
    EXPECT_NEAR(TrowbridgeReitzNdf(FromTangent(0.2f, 0.0f), 0.2f, 0.5f),
                1.0f / (kPi * 0.1f * cos4 * 4.0f), 1e-3f);
    const float cos4y = std::pow(Normalize(Point3(0.5f, 0.0f, 1.0f)).z, 4.0f);
    EXPECT_NEAR(TrowbridgeReitzNdf(FromTangent(0.5f, 0.5f * kPi), 0.2f, 0.5f),
                1.0f / (kPi * 0.1f * cos4y * 4.0f), 1e-3f);
}

TEST(TrowbridgeReitzNdf, NormalAHairFromTangentPlaneGivesZeroNotNaN) {
    for (float z : {1e-12f, 1e-15f, 1e-20f})
        EXPECT_EQ(TrowbridgeReitzNdf(Point3(1.0f, 0.0f, z), 0.5f, 0.5f), 0.0f) << z;
}

TEST(TrowbridgeReitzSmithLambda, ValuesAndLimits) {
    EXPECT_NEAR(TrowbridgeReitzSmithLambda(FromTangent(1.0f, 1.1f), 1.0f, 1.0f), 0.207107f, 1e-6f);
    EXPECT_EQ(TrowbridgeReitzSmithLambda(Point3(0.0f, 0.0f, 1.0f), 0.4f, 0.7f), 0.0f);
    EXPECT_EQ(TrowbridgeReitzSmithLambda(Point3(0.0f, 1.0f, 0.0f), 0.4f, 0.7f), 0.0f);
    EXPECT_NEAR(TrowbridgeReitzSmithLambda(FromTangent(3.0f, 0.5f * kPi), 0.1f, 0.7f),
                TrowbridgeReitzSmithLambda(FromTangent(3.0f, 0.0f), 0.7f, 0.7f), 1e-5f);
}

TEST(TrowbridgeReitzSampleUnitSlopes, KnownDraws) {
    float sx, sy;
    TrowbridgeReitzSampleUnitSlopes(1.0f, 0.5f, 0.0f, sx, sy);
    EXPECT_NEAR(sx, 1.0f, 1e-6f);
    EXPECT_NEAR(sy, 0.0f, 1e-6f);
    // u2 = 0.5 folds to U = 0: no second slope.
    TrowbridgeReitzSampleUnitSlopes(0.5f, 0.5f, 0.5f, sx, sy);
    EXPECT_NEAR(sx, -1.0184f, 1e-3f);
    EXPECT_EQ(sy, 0.0f);
    // Small u1 reaches into the long tails.
    TrowbridgeReitzSampleUnitSlopes(0.5f, 0.1f, 0.9f, sx, sy);
    EXPECT_NEAR(sx, -5.968f, 2e-3f);
    EXPECT_NEAR(sy, 5.732f, 2e-3f);
}

TEST(TrowbridgeReitzSampleUnitSlopes, FiniteAtBothEndsOfU1) {
    // u1 = 0 makes 1/(A² − 1) infinite; the preview can pass it.
    float sx, sy;
    for (float cosTheta : {1e-4f, 0.01f, 0.3f, 0.7f, 0.9999f, 1.0f})
        for (float u1 : {0.0f, 1e-7f, kLargestU1})
            for (float u2 : {0.0f, 0.5f, kLargestU1}) {
                TrowbridgeReitzSampleUnitSlopes(cosTheta, u1, u2, sx, sy);
                EXPECT_TRUE(std::isfinite(sx) && std::isfinite(sy))
                    << cosTheta << " " << u1 << " " << u2;
            }
}

TEST(TrowbridgeReitzSampleVisibleNormal, UnitAndAboveSurface) {
    for (const Point3& wo : {Point3(0.0f, 0.0f, 1.0f), Normalize(Point3(0.3f, -0.2f, 1.0f)),
                             Normalize(Point3(-1.0f, 2.0f, 0.05f))})
        for (float u1 : {0.0f, 0.5f, kLargestU1})
            for (float u2 : {0.0f, 0.3f, kLargestU1}) {
                const Point3 m = TrowbridgeReitzSampleVisibleNormal(wo, 0.05f, 1.2f, u1, u2);
                EXPECT_GT(m.z, 0.0f) << wo.x << " " << u1 << " " << u2;
                EXPECT_NEAR(Length(m), 1.0f, 1e-5f);
            }
}

}  // namespace
