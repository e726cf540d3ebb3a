// The anisotropic Beckmann microfacet distribution of the "Beckmann" reflect
// model: its normal distribution, Smith term and visible-normal sampling.
// Directions are unit vectors in the local frame (shading normal = +z);
// alphaX and alphaY are the roughnesses along x and y, both above zero.
#pragma once

// Project headers
#include "brdf/sample_batch.h"
#include "brdf/visible_normal_stretch.h"

// Host headers
#include "point3.h"

// D(m): density of microfacet normals per unit projected area. Zero for a
// normal in the tangent plane.
float BeckmannNdf(const Point3& m, float alphaX, float alphaY);

// Smith Λ(w) in Walter et al.'s rational approximation; G1(w) = 1 / (1 + Λ(w)).
// Zero along the normal and in the tangent plane. Just below a = 1.6 the fit
// dips to about −5.7e-5 rather than zero.
float BeckmannSmithLambda(const Point3& w, float alphaX, float alphaY);

// Slopes of the unit-roughness visible normals seen from polar angle θ at
// azimuth 0: slopeX by a safeguarded Newton inversion of its exact CDF,
// slopeY from the Gaussian. u1 < 1 is required near normal incidence.
void BeckmannSampleUnitSlopes(float cosTheta, float u1, float u2, float& slopeX, float& slopeY);

// A microfacet normal drawn from the visible normals seen from wo (wo.z ≥ 0);
// always a unit vector with z > 0.
Point3 BeckmannSampleVisibleNormal(const Point3& wo, float alphaX, float alphaY, float u1,
                                   float u2);

// BeckmannSampleUnitSlopes prepared for many draws at one polar angle: the
// search interval, the first guess's exponent and the CDF's normalisation are
// worked out once. Sample gives bit for bit what BeckmannSampleUnitSlopes gives
// for the same arguments.
class PreparedBeckmannUnitSlopes {
public:
    explicit PreparedBeckmannUnitSlopes(float cosTheta);
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
    float top_ = 0.0f;  // erf(cotθ), the upper end of the search interval
    float fit_ = 0.0f;
    float k_ = 0.0f;
    float norm_ = 0.0f;
};

// BeckmannSampleVisibleNormal prepared for many draws from one view and
// roughness pair.
using PreparedBeckmannVisibleNormal = PreparedVisibleNormalByStretch<PreparedBeckmannUnitSlopes>;
