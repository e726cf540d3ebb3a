// The GGX visible-normal sampler and environment sampler.

// Project headers
#include "shading/ggx_sampler.h"
#include "tests/support/microfacet_reference.h"
#include "tests/support/statistics.h"
#include "tests/support/test_shade_context.h"

// Standard headers
#include <cmath>

#include <gtest/gtest.h>

namespace {

using reference::Direction;

const Point3 kUp(0.0f, 0.0f, 1.0f);

Point3 ViewFrom(float theta) { return -Point3(std::sin(theta), 0.0f, std::cos(theta)); }

TEST(GgxSampleVisibleNormal, ViewAlongNormalUsesFixedBasis) {
    // Vh = z, T1 = x, T2 = T1 × Vh = −y, a = 1/2: u2 = 1/4 is a quarter turn.
    EXPECT_EQ(GgxSampleVisibleNormal(kUp, 0.5f, 0.0f, 0.3f), kUp);
    const Point3 m = GgxSampleVisibleNormal(kUp, 0.5f, 0.5f, 0.25f);
    const Point3 expected = Normalize(Point3(0.0f, -0.5f, 1.0f));
    EXPECT_NEAR(Length(m - expected), 0.0f, 1e-6f);
}

TEST(GgxSampleVisibleNormal, UnitAndNotBelowSurface) {
    UniformSequence uniform(41);
    for (float alpha : {0.013f, 0.3f, 1.0f})
        for (float theta : {0.0f, 0.5f, 1.0471976f, 1.55f})
            for (int i = 0; i < 200; ++i) {
                const Point3 m =
                    GgxSampleVisibleNormal(-ViewFrom(theta), alpha, uniform.Next(), uniform.Next());
                EXPECT_NEAR(Length(m), 1.0f, 1e-5f);
                EXPECT_GE(m.z, 0.0f);
            }
}

TEST(GgxSampleVisibleNormal, MatchesExactVisibleDistribution) {
    struct Case {
        double thetaDegrees, alpha;
    };
    // The near-normal basis (0.999 ≤ stretched view z < 1) is not quite
    // orthogonal, so such views are left out; the view along the normal is exact.
    const Case cases[] = {{0.0, 0.1},  {0.0, 0.5},  {30.0, 0.5}, {30.0, 1.0},
                          {60.0, 0.1}, {60.0, 0.5}, {85.0, 0.3}, {85.0, 1.0}};
    const double significance = CorrectedSignificance(8);
    for (int i = 0; i < 8; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "view " << c.thetaDegrees << "°, alpha " << c.alpha);
        const Direction wo = reference::FromAngles(c.thetaDegrees * reference::kPi / 180.0, 0.7);
        const double stretchedZ =
            wo.z / std::sqrt(c.alpha * c.alpha * (1.0 - wo.z * wo.z) + wo.z * wo.z);
        ASSERT_TRUE(stretchedZ < 0.999 || stretchedZ == 1.0);
        const Point3 woF(static_cast<float>(wo.x), static_cast<float>(wo.y),
                         static_cast<float>(wo.z));
        const float alpha = static_cast<float>(c.alpha);
        const reference::Microfacet ggx{reference::Microfacet::kTrowbridgeReitz, c.alpha, c.alpha};
        const auto fit = reference::FitVisibleNormals(
            [&](float u1, float u2) { return GgxSampleVisibleNormal(woF, alpha, u1, u2); },
            [&](const Direction& m) { return ggx.VisibleD(wo, m); }, c.alpha, 100000,
            0x66780000u + i);
        EXPECT_EQ(fit.invalidSamples, 0);
        EXPECT_GT(fit.chiSquare.pValue, significance)
            << "chi-square " << fit.chiSquare.statistic << " on " << fit.chiSquare.degreesOfFreedom
            << " dof";
    }
}

TEST(GgxReflection, HighGlossinessApproachesTheMirror) {
    const Point3 N = Normalize(Point3(0.1f, 0.2f, 0.9f));
    const Point3 V = Normalize(Point3(0.5f, 0.0f, -0.8f));
    TestShadeContext sc(V);
    Color out(0.0f, 0.0f, 0.0f);
    SampleGgxReflection(out, sc, Point2(0.6f, 0.3f), 0.999f, nullptr, N);
    EXPECT_NEAR(Length(sc.lastDirection - (V - 2.0f * (V % N) * N)), 0.0f, 1e-3f);
    EXPECT_NEAR(out.r, 1.0f, 1e-3f);
}

TEST(GgxReflection, UsesOneViewAtMostOneLookupAndKeepsOutputBelowSurface) {
    char mapStandIn = 0;
    Texmap* map = reinterpret_cast<Texmap*>(&mapStandIn);
    UniformSequence uniform(43);
    int rejected = 0;
    for (int i = 0; i < 300; ++i) {
        TestShadeContext sc(ViewFrom(1.45f));
        Color out(-7.0f, -7.0f, -7.0f);
        SampleGgxReflection(out, sc, Point2(uniform.Next(), uniform.Next()), 0.0f, map, kUp);
        EXPECT_EQ(sc.origViewCalls, 1);
        EXPECT_EQ(sc.otherCalls, 0);
        ASSERT_LE(sc.environmentCalls, 1);
        if (sc.environmentCalls == 0) {
            ++rejected;
            EXPECT_EQ(out, Color(-7.0f, -7.0f, -7.0f));
        } else {
            EXPECT_EQ(sc.lastMap, map);
            EXPECT_TRUE(out.r >= 0.0f && out.r <= 1.0f);
        }
    }
    EXPECT_GT(rejected, 10);
}

TEST(GgxReflection, ViewInTangentPlaneGivesNoNaN) {
    UniformSequence uniform(47);
    for (int i = 0; i < 50; ++i) {
        TestShadeContext sc(Point3(1.0f, 0.0f, 0.0f));
        Color out(0.0f, 0.0f, 0.0f);
        SampleGgxReflection(out, sc, Point2(uniform.Next(), uniform.Next()), 0.3f, nullptr, kUp);
        EXPECT_FALSE(std::isnan(out.r));
    }
}

// The weight is G2/G1 with α in the Smith terms where the textbook has α², so
// the reference is its own formula averaged over the exact visible normals.
TEST(GgxReflection, MeanWeightEqualsItsOwnSmithRatioOverVisibleNormals) {
    for (float glossiness : {0.0f, 0.3f, 0.45f}) {
        for (float viewTheta : {0.0f, 0.8f, 1.3f}) {
            SCOPED_TRACE(testing::Message()
                         << "glossiness " << glossiness << " view " << viewTheta);
            RunningMean mean;
            UniformSequence uniform(53);
            TestShadeContext sc(ViewFrom(viewTheta));
            for (int i = 0; i < 100000; ++i) {
                Color out(0.0f, 0.0f, 0.0f);
                SampleGgxReflection(out, sc, Point2(uniform.Next(), uniform.Next()), glossiness,
                                    nullptr, kUp);
                mean.Add(out.r);
            }
            const double alpha = (1.0 - glossiness) * (1.0 - glossiness);
            const reference::Microfacet ggx{reference::Microfacet::kTrowbridgeReitz, alpha, alpha};
            const Direction wo{std::sin(viewTheta), 0.0, std::cos(viewTheta)};
            const auto smith = [&](double c) { return std::sqrt((1.0 - alpha) * c * c + alpha); };
            const double expected = reference::IntegrateHemisphere(
                [&](const Direction& m) {
                    const double cosOM = wo.x * m.x + wo.y * m.y + wo.z * m.z;
                    const double nl = 2.0 * cosOM * m.z - wo.z;
                    if (nl <= 0.0) return 0.0;
                    const double nv = wo.z;
                    const double g1 = 2.0 * nv / (nv + smith(nv));
                    const double g2 = 2.0 * nl * nv / (nv * smith(nl) + nl * smith(nv));
                    return ggx.VisibleD(wo, m) * g2 / g1;
                },
                256, 512);
            EXPECT_NEAR(mean.Mean(), expected, 4.0 * mean.StandardError() + 1e-3 * expected);
        }
    }
}

}  // namespace
