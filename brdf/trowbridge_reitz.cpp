// Own header
#include "brdf/trowbridge_reitz.h"

// Project headers
#include "brdf/azimuth.h"
#include "brdf/visible_normal_stretch.h"

// Standard headers
#include <algorithm>
#include <cmath>

float TrowbridgeReitzNdf(const Point3& m, float alphaX, float alphaY) {
    const float cos2Theta = m.z * m.z;
    // tan²θ; infinite in the tangent plane.
    const float tan2Theta = std::max(0.0f, 1.0f - cos2Theta) / cos2Theta;
    if (!std::isfinite(tan2Theta)) return 0.0f;
    const float cosPhi = CosAzimuth(m);
    const float sinPhi = SinAzimuth(m);
    // tan²θ (sin²φ/αy² + cos²φ/αx²).
    const float e =
        (sinPhi * sinPhi / (alphaY * alphaY) + cosPhi * cosPhi / (alphaX * alphaX)) * tan2Theta;
    // π αx αy cos⁴θ (1 + e)². A hair from the tangent plane cos⁴θ underflows
    // while (1 + e)² overflows; their product is then no number, and D is
    // taken as zero there, as in the plane itself.
    const float denominator =
        cos2Theta * cos2Theta * (alphaX * 3.1415927f) * ((1.0f + e) * (1.0f + e) * alphaY);
    return denominator > 0.0f ? 1.0f / denominator : 0.0f;
}

float TrowbridgeReitzSmithLambda(const Point3& w, float alphaX, float alphaY) {
    // |tanθ|, not finite in the tangent plane.
    const float tanTheta = std::abs(std::sqrt(std::max(0.0f, 1.0f - w.z * w.z)) * (1.0f / w.z));
    if (!std::isfinite(tanTheta)) return 0.0f;
    const float cosPhi = CosAzimuth(w);
    const float sinPhi = SinAzimuth(w);
    // Squared roughness seen along the azimuth of w.
    const float alpha2 = cosPhi * cosPhi * alphaX * alphaX + sinPhi * sinPhi * alphaY * alphaY;
    // (√(1 + α² tan²θ) − 1) / 2.
    return std::sqrt(alpha2 * tanTheta * tanTheta + 1.0f) * 0.5f - 0.5f;
}

void TrowbridgeReitzSampleUnitSlopes(float cosTheta, float u1, float u2, float& slopeX,
                                     float& slopeY) {
    if (cosTheta > 0.9999f) {
        // Seen from the normal: the radial slope distribution inverted in closed form.
        const float r = std::sqrt(u1 / (1.0f - u1));
        const float phi = 6.2831855f * u2;
        slopeX = r * std::cos(phi);
        slopeY = r * std::sin(phi);
        return;
    }
    const float sinTheta = std::sqrt(std::max(0.0f, 1.0f - cosTheta * cosTheta));
    const float tanTheta = sinTheta * (1.0f / cosTheta);
    const float a = 1.0f / tanTheta;
    // Half the masking G1 = 2 / (1 + √(1 + 1/a²)) of the view.
    const float q = 1.0f / (std::sqrt(1.0f / (a * a) + 1.0f) + 1.0f);
    // u1 rescaled to the CDF of slopeX: 2 u1 / G1 − 1.
    const float A = (0.5f / q) * (2.0f * u1) - 1.0f;
    // 1 / (A² − 1) is infinite at u1 = 0; the bound (first in min, so that it
    // also replaces a NaN) keeps the roots finite.
    const float tmp = std::min(1e10f, 1.0f / (A * A - 1.0f));
    const float B = tanTheta;
    // Roots of the quadratic that inverts the CDF.
    const float D = std::sqrt(std::max(0.0f, B * B * tmp * tmp - (A * A - B * B) * tmp));
    const float x1 = B * tmp - D;
    const float x2 = B * tmp + D;
    // Picks rather than branches throughout: u1 and u2 are random.
    const bool lowerRoot = (A < 0.0f) | (x2 > 1.0f / tanTheta);
    slopeX = lowerRoot ? x1 : x2;

    // slopeY from a rational fit of its conditional CDF, folded about u2 = 0.5.
    const bool upperHalf = u2 > 0.5f;
    const float S = upperHalf ? 1.0f : -1.0f;
    const float U = upperHalf ? 2.0f * (u2 - 0.5f) : 2.0f * (0.5f - u2);
    const float z = U * (U * (U * 0.27385f - 0.73369f) + 0.46341f) /
                    (U * (U * (U * 0.093073f + 0.30942f) - 1.0f) + 0.597999f);
    slopeY = S * z * std::sqrt(1.0f + slopeX * slopeX);
}

Point3 TrowbridgeReitzSampleVisibleNormal(const Point3& wo, float alphaX, float alphaY, float u1,
                                          float u2) {
    return SampleVisibleNormalByStretch(wo, alphaX, alphaY, u1, u2,
                                        TrowbridgeReitzSampleUnitSlopes);
}

PreparedTrowbridgeReitzUnitSlopes::PreparedTrowbridgeReitzUnitSlopes(float cosTheta)
    : nearNormal_(cosTheta > 0.9999f) {
    if (nearNormal_) return;
    const float sinTheta = std::sqrt(std::max(0.0f, 1.0f - cosTheta * cosTheta));
    tanTheta_ = sinTheta * (1.0f / cosTheta);
    cotTheta_ = 1.0f / tanTheta_;
    tan2Theta_ = tanTheta_ * tanTheta_;
    const float q = 1.0f / (std::sqrt(1.0f / (cotTheta_ * cotTheta_) + 1.0f) + 1.0f);
    halfOverQ_ = 0.5f / q;
}

template <int K>
void PreparedTrowbridgeReitzUnitSlopes::Samples(const float* u1, const float* u2, float* slopeX,
                                                float* slopeY) const {
    if (nearNormal_) {
        for (int k = 0; k < K; ++k) {
            const float r = std::sqrt(u1[k] / (1.0f - u1[k]));
            const float phi = 6.2831855f * u2[k];
            slopeX[k] = r * std::cos(phi);
            slopeY[k] = r * std::sin(phi);
        }
        return;
    }
    for (int k = 0; k < K; ++k) {
        const float A = halfOverQ_ * (2.0f * u1[k]) - 1.0f;
        const float tmp = std::min(1e10f, 1.0f / (A * A - 1.0f));
        const float B = tanTheta_;
        const float D =
            std::sqrt(std::max(0.0f, tan2Theta_ * tmp * tmp - (A * A - tan2Theta_) * tmp));
        const float x1 = B * tmp - D;
        const float x2 = B * tmp + D;
        const bool lowerRoot = (A < 0.0f) | (x2 > cotTheta_);
        slopeX[k] = lowerRoot ? x1 : x2;

        const bool upperHalf = u2[k] > 0.5f;
        const float S = upperHalf ? 1.0f : -1.0f;
        const float U = upperHalf ? 2.0f * (u2[k] - 0.5f) : 2.0f * (0.5f - u2[k]);
        const float z = U * (U * (U * 0.27385f - 0.73369f) + 0.46341f) /
                        (U * (U * (U * 0.093073f + 0.30942f) - 1.0f) + 0.597999f);
        slopeY[k] = S * z * std::sqrt(1.0f + slopeX[k] * slopeX[k]);
    }
}

template void PreparedTrowbridgeReitzUnitSlopes::Samples<1>(const float*, const float*, float*,
                                                            float*) const;
template void PreparedTrowbridgeReitzUnitSlopes::Samples<kSampleBatch>(const float*, const float*,
                                                                       float*, float*) const;
