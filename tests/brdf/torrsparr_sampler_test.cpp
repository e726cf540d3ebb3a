// The TorrSparr environment sampler: the mirror case, the bound, views from
// below, its use of the shading context and its mean weight.

// Project headers
#include "brdf/torrsparr_sampler.h"
#include "tests/support/microfacet_reference.h"
#include "tests/support/statistics.h"
#include "tests/support/test_shade_context.h"

// Standard headers
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace {

const Point3 kUp(0.0f, 0.0f, 1.0f);

Point3 ViewFrom(float theta) { return -Point3(std::sin(theta), 0.0f, std::cos(theta)); }

TEST(TorrSparrSampler, HalfVectorAlongNormalReflectsTheMirrorDirection) {
    // With h = N the weight is (n + 2)/(n + 1): the distribution over its density.
    for (float n : {1.0f, 10.0f}) {
        const Point3 V = Normalize(Point3(0.3f, -0.4f, -0.8f));
        TestShadeContext sc(V);
        Color out(0.0f, 0.0f, 0.0f);
        SampleTorrSparrReflection(out, sc, Point2(0.2f, 1.0f), n, nullptr, kUp);
        const Point3 mirror = V - 2.0f * (V % kUp) * kUp;
        EXPECT_NEAR(Length(sc.lastDirection - mirror), 0.0f, 1e-6f);
        EXPECT_NEAR(out.r, (n + 2.0f) / (n + 1.0f), 1e-5f) << n;
    }
}

TEST(TorrSparrSampler, BrdfIsBoundedBeforeCosineAndDensity) {
    // A grazing mirror reflection: G / (4 cos²) = 625 is cut to 250, so the
    // weight is 1000 cos² (n + 2)/(n + 1) instead of (n + 2)/(n + 1).
    const float cosO = 0.02f;
    TestShadeContext sc(-Point3(std::sqrt(1.0f - cosO * cosO), 0.0f, cosO));
    Color out(0.0f, 0.0f, 0.0f);
    SampleTorrSparrReflection(out, sc, Point2(0.0f, 1.0f), 1.0f, nullptr, kUp);
    EXPECT_NEAR(out.r, 1000.0f * cosO * cosO * 1.5f, 1e-3f);
}

TEST(TorrSparrSampler, UsesOneViewAtMostOneLookupAndKeepsOutputBelowSurface) {
    char mapStandIn = 0;
    Texmap* map = reinterpret_cast<Texmap*>(&mapStandIn);
    UniformSequence uniform(5);
    int rejected = 0;
    for (int i = 0; i < 300; ++i) {
        // Every third view comes from below the surface and is not mirrored.
        TestShadeContext sc(i % 3 ? ViewFrom(1.4f) : -ViewFrom(0.5f));
        Color out(-7.0f, -7.0f, -7.0f);
        SampleTorrSparrReflection(out, sc, Point2(uniform.Next(), uniform.Next()), 3.0f, map, kUp);
        EXPECT_EQ(sc.origViewCalls, 1);
        EXPECT_EQ(sc.otherCalls, 0);
        ASSERT_LE(sc.environmentCalls, 1);
        if (sc.environmentCalls == 0) {
            ++rejected;
            EXPECT_EQ(out, Color(-7.0f, -7.0f, -7.0f));
        } else {
            EXPECT_EQ(sc.lastMap, map);
            EXPECT_TRUE(std::isfinite(out.r) && out.r >= 0.0f);
        }
    }
    EXPECT_GT(rejected, 100);
}

TEST(TorrSparrSampler, HalfVectorInTangentPlaneGivesNoNaN) {
    // u.y = 0 puts h in the tangent plane; a view from below then reflects
    // upwards with zero distribution and zero density.
    TestShadeContext sc(-ViewFrom(0.6f));
    Color out(-7.0f, -7.0f, -7.0f);
    SampleTorrSparrReflection(out, sc, Point2(0.0f, 0.0f), 4.0f, nullptr, kUp);
    EXPECT_EQ(sc.environmentCalls, 1);
    EXPECT_EQ(out, Color(0.0f, 0.0f, 0.0f));
}

TEST(TorrSparrFurnace, MeanWeightEqualsIntegralOfBrdfTimesCosine) {
    for (float n : {5.0f, 20.0f}) {
        for (float viewTheta : {0.0f, 0.7f, 1.2f}) {
            SCOPED_TRACE(testing::Message() << "power " << n << " view " << viewTheta);
            RunningMean mean;
            UniformSequence uniform(29);
            TestShadeContext sc(ViewFrom(viewTheta));
            for (int i = 0; i < 100000; ++i) {
                Color out(0.0f, 0.0f, 0.0f);
                SampleTorrSparrReflection(out, sc, Point2(uniform.Next(), uniform.Next()), n,
                                          nullptr, kUp);
                mean.Add(out.r);
            }
            // Normalised Blinn lobe of the half vector, V-cavity shadowing, bounded BRDF.
            const reference::Direction wo{std::sin(viewTheta), 0.0, std::cos(viewTheta)};
            const double expected = reference::IntegrateHemisphere(
                [&](const reference::Direction& wi) {
                    reference::Direction h{wo.x + wi.x, wo.y + wi.y, wo.z + wi.z};
                    const double len = std::sqrt(h.x * h.x + h.y * h.y + h.z * h.z);
                    h = {h.x / len, h.y / len, h.z / len};
                    const double cosOH = wo.x * h.x + wo.y * h.y + wo.z * h.z;
                    const double g =
                        std::min({1.0, 2.0 * h.z * wo.z / cosOH, 2.0 * h.z * wi.z / cosOH});
                    const double f = std::min(g / (4.0 * wi.z * wo.z), 250.0);
                    const double d = (n + 2.0) / (2.0 * reference::kPi) * std::pow(h.z, n);
                    return d * f * wi.z;
                },
                256, 512);
            EXPECT_NEAR(mean.Mean(), expected, 4.0 * mean.StandardError() + 1e-3 * expected);
        }
    }
}

}  // namespace
