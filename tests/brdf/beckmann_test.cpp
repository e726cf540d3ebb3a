// Values, branches and limits of the Beckmann distribution and its helpers.

// Project headers
#include "brdf/beckmann.h"
#include "brdf/azimuth.h"
#include "brdf/erf.h"

// Standard headers
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr float kPi = 3.14159265f;
// The largest u1 the preview's generator produces.
constexpr float kLargestU1 = 32766.0f / 32767.0f;

// A float with exactly one rounding behind it: no compiler may fuse the operation
// that made it with the one that uses it.
float Rounded(float v) {
    volatile float r = v;
    return r;
}

// ErfApprox's formula with every operation rounded to single precision on its own.
float ErfInSingleSteps(float x) {
    const float sign = x < 0.0f ? -1.0f : 1.0f;
    x = std::abs(x);
    const float t = Rounded(1.0f / Rounded(1.0f + Rounded(0.3275911f * x)));
    float p = Rounded(1.0614054f * t);
    for (float c : {-1.4531521f, 1.4214138f, -0.28449672f, 0.2548296f})
        p = Rounded(Rounded(p + c) * t);
    return sign * Rounded(1.0f - Rounded(p * std::exp(Rounded(-x * x))));
}

Point3 FromTangent(float tanTheta, float phi) {
    return Normalize(Point3(tanTheta * std::cos(phi), tanTheta * std::sin(phi), 1.0f));
}

TEST(Azimuth, AlongNormalIsZeroAndOtherwiseClamped) {
    EXPECT_EQ(CosAzimuth(Point3(0.0f, 0.0f, 1.0f)), 1.0f);
    EXPECT_EQ(SinAzimuth(Point3(0.0f, 0.0f, -1.0f)), 0.0f);
    EXPECT_NEAR(CosAzimuth(Point3(0.0f, -1.0f, 0.0f)), 0.0f, 1e-7f);
    EXPECT_NEAR(SinAzimuth(Point3(0.0f, -1.0f, 0.0f)), -1.0f, 1e-7f);
    // A slightly long vector would give a cosine above 1 without the clamp.
    EXPECT_EQ(CosAzimuth(Point3(1.001f, 0.0f, 0.0f)), 1.0f);
    EXPECT_EQ(SinAzimuth(Point3(0.0f, -1.001f, 0.0f)), -1.0f);
}

TEST(BeckmannNdf, PeakTangentPlaneAndAxes) {
    EXPECT_NEAR(BeckmannNdf(Point3(0.0f, 0.0f, 1.0f), 0.3f, 0.6f), 1.0f / (kPi * 0.3f * 0.6f),
                1e-4f);
    EXPECT_EQ(BeckmannNdf(Point3(1.0f, 0.0f, 0.0f), 0.3f, 0.6f), 0.0f);
    // αx governs tilts along x and αy tilts along y.
    const float d =
        1.0f / (kPi * 0.3f * 0.6f * std::pow(Normalize(Point3(0.5f, 0.0f, 1.0f)).z, 4.0f));
    EXPECT_NEAR(BeckmannNdf(FromTangent(0.5f, 0.0f), 0.3f, 0.6f), d * std::exp(-0.25f / 0.09f),
                1e-4f);
    EXPECT_NEAR(BeckmannNdf(FromTangent(0.5f, 0.5f * kPi), 0.3f, 0.6f),
                d * std::exp(-0.25f / 0.36f), 1e-4f);
}

TEST(BeckmannNdf, NormalAHairFromTangentPlaneGivesZeroNotNaN) {
    // cos⁴θ underflows here while the exponential is long zero.
    for (float z : {1e-12f, 1e-15f, 1e-20f})
        EXPECT_EQ(BeckmannNdf(Point3(1.0f, 0.0f, z), 0.5f, 0.5f), 0.0f) << z;
}

TEST(BeckmannSmithLambda, ValuesAndCutOff) {
    EXPECT_EQ(BeckmannSmithLambda(Point3(0.0f, 0.0f, 1.0f), 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(BeckmannSmithLambda(Point3(1.0f, 0.0f, 0.0f), 1.0f, 1.0f), 0.0f);
    EXPECT_NEAR(BeckmannSmithLambda(FromTangent(1.0f, 0.3f), 1.0f, 1.0f), 0.023968f, 2e-6f);
    // a = 1/(α tanθ) = 1.6 exactly is cut to zero.
    EXPECT_EQ(BeckmannSmithLambda(FromTangent(0.625f, 0.0f), 1.0f, 1.0f), 0.0f);
    // Along x only αx counts.
    EXPECT_NEAR(BeckmannSmithLambda(FromTangent(2.0f, 0.0f), 0.5f, 0.1f),
                BeckmannSmithLambda(FromTangent(2.0f, 0.0f), 0.5f, 0.5f), 1e-6f);
    // Sides of the surface look alike.
    EXPECT_EQ(BeckmannSmithLambda(Point3(0.6f, 0.0f, -0.8f), 0.4f, 0.4f),
              BeckmannSmithLambda(Point3(0.6f, 0.0f, 0.8f), 0.4f, 0.4f));
}

TEST(BeckmannSmithLambda, RationalFitDipsOnlySlightlyBelowZeroNearCutOff) {
    float lowest = 1.0f;
    for (float a = 1.5f; a < 1.6f; a += 1e-4f)
        lowest = std::min(lowest, BeckmannSmithLambda(FromTangent(1.0f / a, 0.0f), 1.0f, 1.0f));
    EXPECT_LT(lowest, 0.0f);
    EXPECT_GE(lowest, -1e-4f);
}

TEST(ErrorFunction, ValuesSymmetryAndRoundTrip) {
    EXPECT_NEAR(ErfApprox(1.0f), 0.8427007f, 2e-7f);
    EXPECT_EQ(ErfApprox(0.0f), 0.0f);
    EXPECT_EQ(ErfApprox(-0.7f), -ErfApprox(0.7f));
    EXPECT_NEAR(InverseErf(0.5f), 0.476936f, 1e-5f);
    // The argument is clamped to ±0.99999: the tail branch at its end.
    EXPECT_NEAR(InverseErf(1.0f), 3.1234f, 1e-3f);
    EXPECT_EQ(InverseErf(1.0f), InverseErf(0.99999f));
    EXPECT_EQ(InverseErf(-2.0f), -InverseErf(0.99999f));
    EXPECT_TRUE(std::isfinite(InverseErf(std::numeric_limits<float>::quiet_NaN())));
    for (float x = -0.999f; x < 0.999f; x += 0.037f)
        EXPECT_NEAR(ErfApprox(InverseErf(x)), x, 2e-6f) << x;
}

TEST(ErrorFunction, EveryOperationIsRoundedOnItsOwnWhateverTheProcessor) {
    // Built for processors with fused multiply-add, the formula must still round
    // each product before the sum: fused, it differs by up to a million units in
    // the last place near zero.
    int mismatches = 0;
    for (float x = -6.0f; x <= 6.0f; x += 0.000731f)
        mismatches += std::bit_cast<std::uint32_t>(ErfApprox(x)) !=
                      std::bit_cast<std::uint32_t>(ErfInSingleSteps(x));
    for (float x = 1e-30f; x < 1e-3f; x *= 1.37f)
        mismatches += std::bit_cast<std::uint32_t>(ErfApprox(x)) !=
                      std::bit_cast<std::uint32_t>(ErfInSingleSteps(x));
    EXPECT_EQ(mismatches, 0);
}

TEST(BeckmannSampleUnitSlopes, NormalIncidenceBranch) {
    float sx, sy;
    BeckmannSampleUnitSlopes(1.0f, 0.5f, 0.0f, sx, sy);
    EXPECT_NEAR(sx, 0.832555f, 1e-5f);
    EXPECT_NEAR(sy, 0.0f, 1e-6f);
    BeckmannSampleUnitSlopes(0.99995f, 0.0f, 0.3f, sx, sy);
    EXPECT_EQ(sx, 0.0f);
    EXPECT_EQ(sy, 0.0f);
}

TEST(BeckmannSampleUnitSlopes, NewtonSearchConvergesAndStaysFinite) {
    float sx, sy;
    BeckmannSampleUnitSlopes(0.5f, 0.5f, 0.5f, sx, sy);
    EXPECT_NEAR(sx, -0.5597f, 1e-3f);
    EXPECT_EQ(sy, 0.0f);
    // Visible facets are never steeper than cotθ towards the view.
    for (float cosTheta : {0.0f, 1e-6f, 0.05f, 0.3f, 0.7f, 0.9999f})
        for (float u1 : {0.0f, 1e-7f, 0.25f, 0.75f, kLargestU1})
            for (float u2 : {0.0f, 0.5f, kLargestU1}) {
                BeckmannSampleUnitSlopes(cosTheta, u1, u2, sx, sy);
                ASSERT_TRUE(std::isfinite(sx) && std::isfinite(sy))
                    << cosTheta << " " << u1 << " " << u2;
                if (cosTheta > 0.0f) {
                    EXPECT_LE(sx, cosTheta / std::sqrt(1.0f - cosTheta * cosTheta) + 1e-3f)
                        << cosTheta << " " << u1;
                }
            }
}

TEST(BeckmannSampleVisibleNormal, UnitAndAboveSurfaceForAnyView) {
    EXPECT_EQ(BeckmannSampleVisibleNormal(Point3(0.0f, 0.0f, 1.0f), 0.3f, 0.3f, 0.0f, 0.7f),
              Point3(0.0f, 0.0f, 1.0f));
    for (const Point3& wo : {Point3(0.0f, 0.0f, 1.0f), Normalize(Point3(0.3f, -0.2f, 1.0f)),
                             Normalize(Point3(-1.0f, 2.0f, 0.1f)), Point3(1.0f, 0.0f, 0.0f)})
        for (float u1 : {0.0f, 0.5f, kLargestU1})
            for (float u2 : {0.0f, 0.3f, kLargestU1}) {
                const Point3 m = BeckmannSampleVisibleNormal(wo, 0.05f, 1.2f, u1, u2);
                EXPECT_GT(m.z, 0.0f);
                EXPECT_NEAR(Length(m), 1.0f, 1e-5f);
            }
}

}  // namespace
