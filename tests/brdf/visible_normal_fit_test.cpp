// Goodness of fit of the Beckmann and Trowbridge-Reitz visible-normal samplers
// against the exact distribution of visible normals.

// Project headers
#include "brdf/beckmann.h"
#include "brdf/trowbridge_reitz.h"
#include "tests/support/microfacet_reference.h"

// Standard headers
#include <cmath>

#include <gtest/gtest.h>

namespace {

using reference::Direction;
using reference::Microfacet;

struct View {
    double thetaDegrees, phiDegrees;
    double alphaX, alphaY;
};

// Normal to near-grazing views, narrow to wide lobes, isotropic and anisotropic.
constexpr View kViews[] = {
    {0.0, 0.0, 0.5, 0.5},   {0.0, 0.0, 0.3, 0.9},    {30.0, 0.0, 0.1, 0.1},
    {45.0, 30.0, 0.2, 0.7}, {60.0, 45.0, 0.5, 0.5},  {70.0, 100.0, 0.8, 0.25},
    {80.0, 0.0, 1.0, 1.0},  {89.0, 200.0, 0.3, 0.3},
};
constexpr int kViewCount = sizeof(kViews) / sizeof(kViews[0]);
// Both samplers are tested at every view; each test must hold at this level.
const double kSignificance = CorrectedSignificance(2 * kViewCount);

// The Beckmann slope sampler inverts the exact distribution. The
// Trowbridge-Reitz second slope comes from a rational fit whose CDF is off by
// up to about 1e-3, which a few hundred thousand samples resolve; its sample
// size is chosen to catch real faults (a sign, an axis, a stretch), not the fit.
constexpr int kBeckmannSamples = 100000;
constexpr int kTrowbridgeReitzSamples = 50000;

void ExpectFit(Point3 (*sampler)(const Point3&, float, float, float, float), Microfacet::Kind kind,
               int samples) {
    for (int i = 0; i < kViewCount; ++i) {
        const View& v = kViews[i];
        SCOPED_TRACE(testing::Message()
                     << "view " << v.thetaDegrees << "° at azimuth " << v.phiDegrees << "°, alpha "
                     << v.alphaX << " x " << v.alphaY);
        const Microfacet reference{kind, v.alphaX, v.alphaY};
        const Direction wo = reference::FromAngles(v.thetaDegrees * reference::kPi / 180.0,
                                                   v.phiDegrees * reference::kPi / 180.0);
        const Point3 woF(static_cast<float>(wo.x), static_cast<float>(wo.y),
                         static_cast<float>(wo.z));
        const float ax = static_cast<float>(v.alphaX);
        const float ay = static_cast<float>(v.alphaY);
        const auto fit = reference::FitVisibleNormals(
            [&](float u1, float u2) { return sampler(woF, ax, ay, u1, u2); },
            [&](const Direction& m) { return reference.VisibleD(wo, m); },
            std::sqrt(v.alphaX * v.alphaY), samples, 0x1000u + i);
        EXPECT_EQ(fit.invalidSamples, 0);
        EXPECT_NEAR(fit.expectedTotal, 1.0, 2e-3) << "reference quadrature";
        EXPECT_GT(fit.chiSquare.pValue, kSignificance)
            << "chi-square " << fit.chiSquare.statistic << " on " << fit.chiSquare.degreesOfFreedom
            << " dof";
    }
}

TEST(VisibleNormalFit, BeckmannMatchesExactVisibleDistribution) {
    ExpectFit(BeckmannSampleVisibleNormal, Microfacet::kBeckmann, kBeckmannSamples);
}

TEST(VisibleNormalFit, TrowbridgeReitzMatchesExactVisibleDistribution) {
    ExpectFit(TrowbridgeReitzSampleVisibleNormal, Microfacet::kTrowbridgeReitz,
              kTrowbridgeReitzSamples);
}

}  // namespace
