// The Phong-lobe sampler: the axis case, no surface test, one lookup, and a
// mean weight of 1.

// Project headers
#include "shading/phong_lobe.h"
#include "tests/support/statistics.h"
#include "tests/support/test_shade_context.h"

// Standard headers
#include <cmath>

#include <gtest/gtest.h>

namespace {

TEST(PhongLobe, DrawAlongAxisWeighsNPlusTwoOverNPlusOne) {
    const Point3 axis = Normalize(Point3(0.2f, 0.5f, 0.8f));
    TestShadeContext sc(Point3(0.0f, 0.0f, -1.0f),
                        [](const Point3&) { return AColor(0.5f, 1.0f, 2.0f); });
    Color out(0.0f, 0.0f, 0.0f);
    SamplePhongLobe(out, sc, Point2(0.4f, 1.0f), 1.0f, nullptr, axis);
    EXPECT_NEAR(Length(sc.lastDirection - axis), 0.0f, 1e-6f);
    EXPECT_NEAR(out.r, 0.75f, 1e-5f);
    EXPECT_NEAR(out.g, 1.5f, 1e-5f);
    EXPECT_NEAR(out.b, 3.0f, 1e-5f);
}

TEST(PhongLobe, AlwaysWritesWithOneLookupEvenBelowTheSurface) {
    char mapStandIn = 0;
    Texmap* map = reinterpret_cast<Texmap*>(&mapStandIn);
    UniformSequence uniform(7);
    for (int i = 0; i < 50; ++i) {
        TestShadeContext sc(Point3(0.0f, 0.0f, -1.0f));
        Color out(-7.0f, -7.0f, -7.0f);
        // A refraction axis pointing into the surface.
        SamplePhongLobe(out, sc, Point2(uniform.Next(), std::max(uniform.Next(), 1e-6f)), 2.0f, map,
                        Point3(0.0f, 0.0f, -1.0f));
        EXPECT_EQ(sc.environmentCalls, 1);
        EXPECT_EQ(sc.origViewCalls + sc.otherCalls, 0);
        EXPECT_EQ(sc.lastMap, map);
        EXPECT_GT(out.r, 0.0f);
    }
}

TEST(PhongLobe, MeanWeightIsOne) {
    const Point3 axis = Normalize(Point3(-0.4f, 0.1f, 0.3f));
    for (float n : {1.0f, 12.0f, 200.0f}) {
        RunningMean mean;
        UniformSequence uniform(31);
        TestShadeContext sc(Point3(0.0f, 0.0f, -1.0f));
        for (int i = 0; i < 100000; ++i) {
            Color out(0.0f, 0.0f, 0.0f);
            SamplePhongLobe(out, sc, Point2(uniform.Next(), std::max(uniform.Next(), 1e-6f)), n,
                            nullptr, axis);
            mean.Add(out.r);
        }
        EXPECT_NEAR(mean.Mean(), 1.0, 4.0 * mean.StandardError() + 1e-4) << n;
    }
}

}  // namespace
