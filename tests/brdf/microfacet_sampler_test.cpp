// The Beckmann and TRGGX environment samplers: roughness mapping, frame
// conventions, their use of the shading context, and their mean weight.

// Project headers
#include "brdf/microfacet_sampler.h"
#include "brdf/beckmann.h"
#include "brdf/rotation.h"
#include "brdf/roughness.h"
#include "brdf/trowbridge_reitz.h"
#include "tests/support/microfacet_reference.h"
#include "tests/support/statistics.h"
#include "tests/support/test_shade_context.h"

// Standard headers
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace {

using Sampler = void (*)(Color&, ShadeContext&, const Point2&, float, float, float, Texmap*,
                         const Point3&, const TangentPair&);

struct Model {
    const char* name;
    Sampler sample;
    float (*ndf)(const Point3&, float, float);
    float (*lambda)(const Point3&, float, float);
    float brdfBound;
};

const Model kModels[] = {
    {"Beckmann", SampleBeckmannReflection, BeckmannNdf, BeckmannSmithLambda, 500.0f},
    {"TRGGX", SampleTrggxReflection, TrowbridgeReitzNdf, TrowbridgeReitzSmithLambda, 1e30f},
};

const Point3 kUp(0.0f, 0.0f, 1.0f);
const TangentPair kAxes{Point3(1.0f, 0.0f, 0.0f), Point3(0.0f, 1.0f, 0.0f)};
const Color kUntouched(-7.0f, -7.0f, -7.0f);

// An environment whose colour is the direction, so that outputs tell directions apart.
AColor DirectionColour(const Point3& d) { return AColor(d.x + 2.0f, d.y + 2.0f, d.z + 2.0f, 1.0f); }

// The view (from the eye towards the point) at polar angle theta and azimuth
// phi above the surface z = 0.
Point3 ViewFrom(float theta, float phi) {
    return -Point3(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
                   std::cos(theta));
}

float Alpha(float glossiness, float anisotropyFactor) {
    const float r = (0.5f - 0.5f * glossiness) * (0.5f - 0.5f * glossiness);
    return AlphaFromRoughness(std::max(r * anisotropyFactor, 0.0001f));
}

TEST(AlphaFromRoughness, GlossinessMapsToKnownRoughness) {
    EXPECT_NEAR(Alpha(0.0f, 1.0f), 0.7747f, 1e-4f);
    EXPECT_NEAR(Alpha(0.5f, 1.0f), 0.3540f, 1e-4f);
    EXPECT_NEAR(Alpha(0.9f, 1.0f), 0.0768f, 1e-4f);
    EXPECT_NEAR(Alpha(0.98f, 1.0f), 0.0134f, 1e-4f);
    EXPECT_EQ(Alpha(0.99f, 1.0f), Alpha(0.98f, 1.0f));
    // Full anisotropy puts αy at the clamp; a half one at 0.95 goes below it,
    // to the fit's minimum.
    EXPECT_NEAR(Alpha(0.3f, 0.0f), 0.0134f, 1e-4f);
    EXPECT_NEAR(Alpha(0.95f, 0.25f), 0.00934f, 1e-5f);
}

TEST(RotationAboutAxis, QuarterTurnAboutXAndFullTurn) {
    const RowMatrix3 quarter = RotationAboutAxis(Point3(1.0f, 0.0f, 0.0f), 1.5707964f);
    const Point3 y = quarter.Apply(Point3(0.0f, 1.0f, 0.0f));
    const Point3 z = quarter.Apply(Point3(0.0f, 0.0f, 1.0f));
    EXPECT_NEAR(y.x, 0.0f, 1e-6f);
    EXPECT_NEAR(y.y, 0.0f, 1e-6f);
    EXPECT_NEAR(y.z, 1.0f, 1e-6f);
    EXPECT_NEAR(z.y, -1.0f, 1e-6f);
    EXPECT_NEAR(z.z, 0.0f, 1e-6f);
    // A full turn about an oblique axis is the identity; lengths are kept on the way.
    const Point3 axis = Normalize(Point3(0.3f, -0.5f, 0.8f));
    const Point3 v(0.2f, 0.9f, -0.4f);
    const Point3 full = RotationAboutAxis(axis, 6.2831855f).Apply(v);
    EXPECT_NEAR(Length(full - v), 0.0f, 1e-5f);
    EXPECT_NEAR(Length(RotationAboutAxis(axis, 1.0f).Apply(v)), Length(v), 1e-5f);
}

TEST(MicrofacetSampler, UsesOneViewAndAtMostOneLookupAndKeepsOutputWhenRejected) {
    char mapStandIn = 0;
    Texmap* map = reinterpret_cast<Texmap*>(&mapStandIn);
    for (const Model& model : kModels) {
        SCOPED_TRACE(model.name);
        int rejected = 0;
        UniformSequence uniform(17);
        for (int i = 0; i < 400; ++i) {
            // Grazing and from behind: many reflections fall below the surface.
            TestShadeContext sc(i % 2 ? ViewFrom(1.5f, 0.3f) : -ViewFrom(0.4f, 2.0f),
                                DirectionColour);
            Color out = kUntouched;
            model.sample(out, sc, Point2(uniform.Next(), uniform.Next()), 0.2f, 0.5f, 0.3f, map,
                         kUp, kAxes);
            EXPECT_EQ(sc.origViewCalls, 1);
            EXPECT_EQ(sc.otherCalls, 0);
            ASSERT_LE(sc.environmentCalls, 1);
            if (sc.environmentCalls == 0) {
                ++rejected;
                EXPECT_EQ(out, kUntouched);
            } else {
                EXPECT_EQ(sc.lastMap, map);
                EXPECT_GT(sc.lastDirection % kUp, 0.0f);
                EXPECT_TRUE(std::isfinite(out.r) && out.r >= 0.0f);
            }
        }
        EXPECT_GT(rejected, 50);
        EXPECT_LT(rejected, 350);
    }
}

TEST(MicrofacetSampler, ViewInTangentPlaneGivesNoNaN) {
    for (const Model& model : kModels) {
        for (float anisotropy : {0.0f, 0.7f}) {
            TestShadeContext sc(Point3(1.0f, 0.0f, 0.0f));
            Color out(0.0f, 0.0f, 0.0f);
            model.sample(out, sc, Point2(0.3f, 0.6f), 0.4f, anisotropy, 0.0f, nullptr, kUp, kAxes);
            EXPECT_TRUE(std::isfinite(out.r)) << model.name;
        }
    }
}

TEST(MicrofacetSampler, BeckmannBoundCutsTheBrdfBeforeWeighting) {
    // A sharp lobe seen at 80°: the BRDF value near the mirror direction is in
    // the thousands. The TRGGX estimate keeps its weight of about G/G1; the
    // Beckmann one is cut to 500 cos / pdf, far below it.
    Color beckmann(0.0f, 0.0f, 0.0f), trggx(0.0f, 0.0f, 0.0f);
    TestShadeContext a(ViewFrom(1.3962634f, 0.0f)), b(ViewFrom(1.3962634f, 0.0f));
    SampleBeckmannReflection(beckmann, a, Point2(0.5f, 0.5f), 0.98f, 0.0f, 0.0f, nullptr, kUp,
                             kAxes);
    SampleTrggxReflection(trggx, b, Point2(0.5f, 0.5f), 0.98f, 0.0f, 0.0f, nullptr, kUp, kAxes);
    ASSERT_EQ(a.environmentCalls, 1);
    ASSERT_EQ(b.environmentCalls, 1);
    EXPECT_GT(trggx.r, 0.5f);
    EXPECT_GT(beckmann.r, 0.0f);
    EXPECT_LT(beckmann.r, 0.1f);
}

TEST(MicrofacetFrame, IsotropicLobeIgnoresTangentsAndRotation) {
    const Point3 N = Normalize(Point3(0.2f, 0.3f, 0.9f));
    const TangentPair other{Normalize(CrossProd(N, Point3(1.0f, 0.0f, 0.0f))),
                            CrossProd(N, Normalize(CrossProd(N, Point3(1.0f, 0.0f, 0.0f))))};
    for (const Model& model : kModels) {
        // No anisotropy, or both roughnesses at the clamp.
        for (auto [glossiness, anisotropy] : {std::pair{0.4f, 0.0f}, std::pair{0.99f, 0.6f}}) {
            TestShadeContext a(ViewFrom(0.7f, 0.0f), DirectionColour),
                b(ViewFrom(0.7f, 0.0f), DirectionColour);
            Color outA(0.0f, 0.0f, 0.0f), outB(0.0f, 0.0f, 0.0f);
            model.sample(outA, a, Point2(0.3f, 0.8f), glossiness, anisotropy, 0.0f, nullptr, N,
                         kAxes);
            model.sample(outB, b, Point2(0.3f, 0.8f), glossiness, anisotropy, 0.37f, nullptr, N,
                         other);
            EXPECT_EQ(a.lastDirection, b.lastDirection) << model.name;
            EXPECT_EQ(outA, outB) << model.name;
        }
    }
}

TEST(MicrofacetFrame, FullTurnEqualsNoTurn) {
    for (const Model& model : kModels) {
        UniformSequence uniform(3);
        for (int i = 0; i < 20; ++i) {
            const Point2 u(uniform.Next(), uniform.Next());
            TestShadeContext a(ViewFrom(0.5f, 1.0f)), b(ViewFrom(0.5f, 1.0f));
            Color outA(0.0f, 0.0f, 0.0f), outB(0.0f, 0.0f, 0.0f);
            model.sample(outA, a, u, 0.5f, 0.8f, 0.0f, nullptr, kUp, kAxes);
            model.sample(outB, b, u, 0.5f, 0.8f, 1.0f, nullptr, kUp, kAxes);
            EXPECT_NEAR(Length(a.lastDirection - b.lastDirection), 0.0f, 1e-5f) << model.name;
        }
    }
}

// Second moments of the reflected directions along T and B for a view along
// the normal: the lobe's wide axis is the frame's x.
struct Spread {
    double alongT = 0.0, alongB = 0.0, cross = 0.0;
};

Spread LobeSpread(const Model& model, float rotation) {
    Spread s;
    UniformSequence uniform(11);
    TestShadeContext sc(-kUp);
    for (int i = 0; i < 4000; ++i) {
        Color out(0.0f, 0.0f, 0.0f);
        sc.environmentCalls = 0;
        model.sample(out, sc, Point2(uniform.Next(), uniform.Next()), 0.5f, 0.8f, rotation, nullptr,
                     kUp, kAxes);
        if (sc.environmentCalls == 0) continue;
        const double t = sc.lastDirection % kAxes.t, b = sc.lastDirection % kAxes.b;
        s.alongT += t * t;
        s.alongB += b * b;
        s.cross += t * b;
    }
    return s;
}

TEST(MicrofacetFrame, AnisotropyNarrowsAlongTangentAndRotationTurnsTowardsMinusTangent) {
    for (const Model& model : kModels) {
        SCOPED_TRACE(model.name);
        // Unturned, the wide axis runs along B and the narrow one along T.
        const Spread none = LobeSpread(model, 0.0f);
        EXPECT_GT(none.alongB, 4.0 * none.alongT);
        // A quarter turn brings the wide axis onto T.
        const Spread quarter = LobeSpread(model, 0.25f);
        EXPECT_GT(quarter.alongT, 4.0 * quarter.alongB);
        // An eighth of a turn puts it along B − T.
        const Spread eighth = LobeSpread(model, 0.125f);
        EXPECT_LT(eighth.cross, -0.5 * std::sqrt(eighth.alongT * eighth.alongB));
    }
}

// Mean of many estimates under a white environment against the hemispherical
// integral of BRDF × cosine, the BRDF built from the model's own D and Λ.
TEST(MicrofacetFurnace, MeanWeightEqualsIntegralOfBrdfTimesCosine) {
    struct Case {
        float glossiness, anisotropy, rotation, viewTheta, viewPhi;
    };
    const Case cases[] = {
        {0.3f, 0.0f, 0.0f, 0.0f, 0.0f},
        {0.3f, 0.0f, 0.0f, 0.8f, 0.0f},
        {0.5f, 0.0f, 0.0f, 1.3f, 0.0f},
        {0.3f, 0.6f, 0.1f, 0.7f, 0.5f},
    };
    for (const Model& model : kModels) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << model.name << " glossiness " << c.glossiness << " anisotropy "
                         << c.anisotropy << " view " << c.viewTheta);
            const float ax = Alpha(c.glossiness, 1.0f);
            const float ay = Alpha(c.glossiness, (1.0f - c.anisotropy) * (1.0f - c.anisotropy));
            const Point3 V = ViewFrom(c.viewTheta, c.viewPhi);

            RunningMean mean;
            UniformSequence uniform(23);
            TestShadeContext sc(V);
            for (int i = 0; i < 100000; ++i) {
                Color out(0.0f, 0.0f, 0.0f);
                model.sample(out, sc, Point2(uniform.Next(), uniform.Next()), c.glossiness,
                             c.anisotropy, c.rotation, nullptr, kUp, kAxes);
                mean.Add(out.r);
            }

            // Local frame of the sampler: isotropic frame around +z, or the
            // tangents turned by the rotation with x along the turned B.
            Point3 X(1.0f, 0.0f, 0.0f), Y(0.0f, 1.0f, 0.0f);
            if (c.anisotropy > 0.0f) {
                const float turn = 6.2831855f * c.rotation;
                X = Point3(-std::sin(turn), std::cos(turn), 0.0f);
                Y = Point3(std::cos(turn), std::sin(turn), 0.0f);
            }
            const Point3 wo(-(V % X), -(V % Y), -(V % kUp));
            const double expected = reference::IntegrateHemisphere(
                [&](const reference::Direction& d) {
                    const Point3 wi(static_cast<float>(d.x), static_cast<float>(d.y),
                                    static_cast<float>(d.z));
                    const Point3 h = Normalize(wo + wi);
                    const float g =
                        1.0f / (1.0f + model.lambda(wo, ax, ay) + model.lambda(wi, ax, ay));
                    const float f = model.ndf(h, ax, ay) * g / (4.0f * wi.z * wo.z);
                    return double(std::min(f, model.brdfBound)) * d.z;
                },
                256, 512);
            EXPECT_NEAR(mean.Mean(), expected, 4.0 * mean.StandardError() + 1e-3 * expected);
        }
    }
}

}  // namespace
