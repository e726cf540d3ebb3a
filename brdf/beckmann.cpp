// Own header
#include "brdf/beckmann.h"

// Project headers
#include "brdf/azimuth.h"
#include "brdf/erf.h"
#include "brdf/visible_normal_stretch.h"

// Standard headers
#include <algorithm>
#include <cmath>

float BeckmannNdf(const Point3& m, float alphaX, float alphaY) {
    const float cos2Theta = m.z * m.z;
    // tan²θ; infinite in the tangent plane, where no facet faces the normal.
    const float tan2Theta = std::max(0.0f, 1.0f - cos2Theta) / cos2Theta;
    if (!std::isfinite(tan2Theta)) return 0.0f;
    const float cosPhi = CosAzimuth(m);
    const float sinPhi = SinAzimuth(m);
    // Exponent −tan²θ (cos²φ/αx² + sin²φ/αy²).
    const float e =
        (cosPhi * cosPhi * (-1.0f / (alphaX * alphaX)) - sinPhi * sinPhi / (alphaY * alphaY)) *
        tan2Theta;
    // π αx αy cos⁴θ. It underflows to zero only for normals a hair from the
    // tangent plane, where the exponential has long vanished: D is zero there,
    // not 0/0.
    const float denominator = cos2Theta * cos2Theta * alphaX * (alphaY * 3.1415927f);
    return denominator > 0.0f ? std::exp(e) / denominator : 0.0f;
}

float BeckmannSmithLambda(const Point3& w, float alphaX, float alphaY) {
    // |tanθ|, not finite in the tangent plane.
    const float tanTheta = std::abs(std::sqrt(std::max(0.0f, 1.0f - w.z * w.z)) * (1.0f / w.z));
    if (!std::isfinite(tanTheta)) return 0.0f;
    const float cosPhi = CosAzimuth(w);
    const float sinPhi = SinAzimuth(w);
    // Roughness seen along the azimuth of w.
    const float alpha =
        std::sqrt(cosPhi * cosPhi * alphaX * alphaX + sinPhi * sinPhi * alphaY * alphaY);
    const float a = 1.0f / (alpha * tanTheta);
    // Beyond a = 1.6 the masking is negligible and the fit is cut to zero.
    if (a >= 1.6f) return 0.0f;
    // Walter et al.'s rational fit of (erf(a) − 1)/2 + e^(−a²)/(2a√π).
    return (1.0f - 1.259f * a + 0.396f * a * a) / ((2.181f * a + 3.535f) * a);
}

void BeckmannSampleUnitSlopes(float cosTheta, float u1, float u2, float& slopeX, float& slopeY) {
    if (cosTheta > 0.9999f) {
        // Seen from the normal every facet is visible: the slopes are the
        // distribution's own 2-D Gaussian, drawn by radius and angle.
        const float r = std::sqrt(-std::log(1.0f - u1));
        const float phi = 6.2831855f * u2;
        slopeX = r * std::cos(phi);
        slopeY = r * std::sin(phi);
        return;
    }
    const float sinTheta = std::sqrt(std::max(0.0f, 1.0f - cosTheta * cosTheta));
    const float tanTheta = sinTheta * (1.0f / cosTheta);
    const float cotTheta = 1.0f / tanTheta;

    // slopeX is searched as b = erf(slopeX): facets steeper than cotθ face away
    // from the view, so b lies in [−1, erf(cotθ)].
    float a = -1.0f;
    float c = ErfApprox(cotTheta);
    // Away from 0 so that the CDF target stays inside the bracket.
    const float s1 = std::max(u1, 1e-6f);

    // First guess from a polynomial fit in θ of the CDF's shape.
    const float theta = std::acos(cosTheta);
    const float fit = ((0.4265f - 0.0594f * theta) * theta - 0.876f) * theta + 1.0f;
    float b = c - (1.0f + c) * std::pow(1.0f - s1, fit);

    // The CDF of slopeX is norm (1 + b + k e^(−erf⁻¹(b)²)), with k = tanθ/√π.
    const float k = tanTheta * 0.56418955f;
    const float norm = 1.0f / (1.0f + c + k * std::exp(-cotTheta * cotTheta));

    // Newton steps on the CDF, falling back to bisection whenever a step
    // leaves the bracket; nine steps bound the work of a preview pass.
    for (int iteration = 0; iteration < 9; ++iteration) {
        if (!(b >= a && b <= c)) b = 0.5f * (a + c);
        const float e = InverseErf(b);
        const float value = norm * (1.0f + b + k * std::exp(-e * e)) - s1;
        const float derivative = norm * (1.0f - e * tanTheta);
        if (std::abs(value) < 1e-5f) break;
        if (value > 0.0f)
            c = b;
        else
            a = b;
        b = b - value / derivative;
    }
    slopeX = InverseErf(b);
    slopeY = InverseErf(2.0f * std::max(u2, 1e-6f) - 1.0f);
}

Point3 BeckmannSampleVisibleNormal(const Point3& wo, float alphaX, float alphaY, float u1,
                                   float u2) {
    return SampleVisibleNormalByStretch(wo, alphaX, alphaY, u1, u2, BeckmannSampleUnitSlopes);
}

PreparedBeckmannUnitSlopes::PreparedBeckmannUnitSlopes(float cosTheta)
    : nearNormal_(cosTheta > 0.9999f) {
    if (nearNormal_) return;
    const float sinTheta = std::sqrt(std::max(0.0f, 1.0f - cosTheta * cosTheta));
    tanTheta_ = sinTheta * (1.0f / cosTheta);
    const float cotTheta = 1.0f / tanTheta_;
    top_ = ErfApprox(cotTheta);
    const float theta = std::acos(cosTheta);
    fit_ = ((0.4265f - 0.0594f * theta) * theta - 0.876f) * theta + 1.0f;
    k_ = tanTheta_ * 0.56418955f;
    norm_ = 1.0f / (1.0f + top_ + k_ * std::exp(-cotTheta * cotTheta));
}

// The Newton searches of K draws go in step, so that their waits on the error
// functions overlap; each draw's search is exactly the one of
// BeckmannSampleUnitSlopes, ending when its own value is close enough.
template <int K>
void PreparedBeckmannUnitSlopes::Samples(const float* u1, const float* u2, float* slopeX,
                                         float* slopeY) const {
    if (nearNormal_) {
        for (int k = 0; k < K; ++k) {
            const float r = std::sqrt(-std::log(1.0f - u1[k]));
            const float phi = 6.2831855f * u2[k];
            slopeX[k] = r * std::cos(phi);
            slopeY[k] = r * std::sin(phi);
        }
        return;
    }
    float a[K], c[K], b[K], s1[K];
    bool searching[K];
    for (int k = 0; k < K; ++k) {
        a[k] = -1.0f;
        c[k] = top_;
        s1[k] = std::max(u1[k], 1e-6f);
        b[k] = c[k] - (1.0f + c[k]) * std::pow(1.0f - s1[k], fit_);
        searching[k] = true;
    }
    for (int iteration = 0; iteration < 9; ++iteration) {
        bool any = false;
        for (int k = 0; k < K; ++k) {
            if (!searching[k]) continue;
            if (!(b[k] >= a[k] && b[k] <= c[k])) b[k] = 0.5f * (a[k] + c[k]);
            const float e = InverseErf(b[k]);
            const float value = norm_ * (1.0f + b[k] + k_ * std::exp(-e * e)) - s1[k];
            const float derivative = norm_ * (1.0f - e * tanTheta_);
            if (std::abs(value) < 1e-5f) {
                searching[k] = false;
                continue;
            }
            if (value > 0.0f)
                c[k] = b[k];
            else
                a[k] = b[k];
            b[k] = b[k] - value / derivative;
            any = true;
        }
        if (!any) break;
    }
    for (int k = 0; k < K; ++k) {
        slopeX[k] = InverseErf(b[k]);
        slopeY[k] = InverseErf(2.0f * std::max(u2[k], 1e-6f) - 1.0f);
    }
}

template void PreparedBeckmannUnitSlopes::Samples<1>(const float*, const float*, float*,
                                                     float*) const;
template void PreparedBeckmannUnitSlopes::Samples<kSampleBatch>(const float*, const float*, float*,
                                                                float*) const;
