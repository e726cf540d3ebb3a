// The anisotropic Trowbridge-Reitz microfacet distribution of the "TRGGX"
// reflect model. Same conventions as the Beckmann distribution: unit vectors in
// the local frame (shading normal = +z), roughnesses alphaX, alphaY above zero.
#pragma once

// Project headers
#include "brdf/sample_batch.h"
#include "brdf/visible_normal_stretch.h"

// Host headers
#include "point3.h"

// D(m) = 1 / (π αx αy cos⁴θ (1 + tan²θ (cos²φ/αx² + sin²φ/αy²))²); zero in
// the tangent plane.
float TrowbridgeReitzNdf(const Point3& m, float alphaX, float alphaY);

// Smith Λ(w) in closed form; zero along the normal and in the tangent plane.
float TrowbridgeReitzSmithLambda(const Point3& w, float alphaX, float alphaY);

// Slopes of the unit-roughness visible normals seen from polar angle θ at
// azimuth 0: slopeX by inverting its CDF exactly, slopeY by a rational fit.
// u1 < 1 is required near normal incidence.
void TrowbridgeReitzSampleUnitSlopes(float cosTheta, float u1, float u2, float& slopeX,
                                     float& slopeY);

// A microfacet normal drawn from the visible normals seen from wo (wo.z ≥ 0);
// a unit vector with z > 0.
Point3 TrowbridgeReitzSampleVisibleNormal(const Point3& wo, float alphaX, float alphaY, float u1,
                                          float u2);

// TrowbridgeReitzSampleUnitSlopes prepared for many draws at one polar angle:
// the masking of the view and the quadratic's constant terms are worked out
// once. Sample gives bit for bit what TrowbridgeReitzSampleUnitSlopes gives for
// the same arguments.
class PreparedTrowbridgeReitzUnitSlopes {
public:
    explicit PreparedTrowbridgeReitzUnitSlopes(float cosTheta);
    void Sample(float u1, float u2, float& slopeX, float& slopeY) const {
        Samples<1>(&u1, &u2, &slopeX, &slopeY);
    }
    // K draws for the pairs (u1[k], u2[k]), worked out side by side (defined for
    // K = 1 and kSampleBatch).
    template <int K>
    void Samples(const float* u1, const float* u2, float* slopeX, float* slopeY) const;

private:
    bool nearNormal_;
    float tanTheta_ = 0.0f;
    float cotTheta_ = 0.0f;
    float tan2Theta_ = 0.0f;
    float halfOverQ_ = 0.0f;  // 1 / G1 of the view
};

// TrowbridgeReitzSampleVisibleNormal prepared for many draws from one view and
// roughness pair.
using PreparedTrowbridgeReitzVisibleNormal =
    PreparedVisibleNormalByStretch<PreparedTrowbridgeReitzUnitSlopes>;
