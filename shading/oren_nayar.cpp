// Own header
#include "shading/oren_nayar.h"

// Project headers
#include "brdf/local_frame.h"

// Standard headers
#include <algorithm>
#include <cmath>

float OrenNayarFactor(const Point3& wi, const Point3& wo, const Point3& N, float roughness) {
    const float cosI = N % wi;
    const float cosO = N % wo;
    const float sinI = std::sqrt(std::max(0.0f, 1.0f - cosI * cosI));
    const float sinO = std::sqrt(std::max(0.0f, 1.0f - cosO * cosO));

    // σ² with σ = roughness × π/2, and the model's two coefficients.
    const float sigma2 = roughness * roughness * 2.4674013f;
    const float A = 1.0f - sigma2 / (2.0f * sigma2 + 0.66f);
    const float B = 0.45f * sigma2 / (sigma2 + 0.09f);

    // cos(φi − φo) from the azimuths in a frame around N; directions along N
    // have no azimuth and take no retro-reflection.
    const LocalFrame frame = FrameAroundAxis(N);
    float maxCos = 0.0f;
    if (sinI > 1e-4f && sinO > 1e-4f) {
        const float cosPhiI = std::clamp(-(wi % frame.x) / sinI, -1.0f, 1.0f);
        const float sinPhiI = std::clamp(-(wi % frame.y) / sinI, -1.0f, 1.0f);
        const float cosPhiO = std::clamp(-(wo % frame.x) / sinO, -1.0f, 1.0f);
        const float sinPhiO = std::clamp(-(wo % frame.y) / sinO, -1.0f, 1.0f);
        maxCos = std::max(0.0f, cosPhiO * cosPhiI + sinPhiO * sinPhiI);
    }

    // α is the larger polar angle and β the smaller; the floor keeps tan β
    // finite when both directions graze.
    float sinAlpha;
    float tanBeta;
    if (std::abs(cosI) > std::abs(cosO)) {
        sinAlpha = sinO;
        tanBeta = sinI / std::max(std::abs(cosI), 1e-20f);
    } else {
        sinAlpha = sinI;
        tanBeta = sinO / std::max(std::abs(cosO), 1e-20f);
    }
    return A + B * maxCos * sinAlpha * tanBeta;
}
