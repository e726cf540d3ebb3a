// Own header
#include "brdf/torrsparr_sampler.h"

// Project headers
#include "brdf/local_frame.h"

// Host headers
#include "shadecontext.h"

// Standard headers
#include <algorithm>
#include <cmath>

namespace {

// Exact test against zero in which a NaN counts as zero.
bool IsNonZero(float v) { return v < 0.0f || v > 0.0f; }

// Above this the BRDF value is cut, so that near-grazing geometry gives no fireflies.
constexpr float kBrdfBound = 250.0f;

}  // namespace

void SampleTorrSparrReflection(Color& out, ShadeContext& sc, const Point2& u, float n,
                               Texmap* envMap, const Point3& N) {
    // The lobe is isotropic: the frame comes from the normal alone, and a view
    // from below is not mirrored (its samples mostly fail the cosine test).
    const LocalFrame frame = FrameAroundAxis(N);
    const Point3 V = sc.OrigView();
    const Point3 wo = frame.ToLocal(-V);

    // Half vector drawn with density (n + 1)/(2π) cos^n θh.
    const float cosThetaH = std::pow(u.y, 1.0f / (n + 1.0f));
    const float sinThetaH = std::sqrt(std::max(0.0f, 1.0f - cosThetaH * cosThetaH));
    const float phi = 6.2831855f * u.x;
    const Point3 h(std::cos(phi) * sinThetaH, std::sin(phi) * sinThetaH, cosThetaH);

    // View reflected about the half vector.
    const Point3 wi = 2.0f * (wo % h) * h - wo;
    const Point3 d = Normalize(frame.ToWorld(wi));
    const float cosI = d % N;
    if (!(cosI > 0.0f)) return;

    // Normalised Blinn distribution (n + 2)/(2π) cos^n θh.
    const float cosPowerN = std::pow(cosThetaH, n);
    const float Dh = (n * 0.15915494f + 0.31830987f) * cosPowerN;

    // Torrance-Sparrow V-cavity shadowing with the half vector rebuilt from the
    // pair, and the BRDF value G / (4 |wi.z| |wo.z|), bounded.
    float f = 0.0f;
    const Point3 halfSum = wo + wi;
    if (IsNonZero(wi.z) && IsNonZero(wo.z) &&
        (IsNonZero(halfSum.x) || IsNonZero(halfSum.y) || IsNonZero(halfSum.z))) {
        const Point3 hr = Normalize(halfSum);
        const float q = std::max(std::abs(wo % hr), 1e-20f);
        const float G = std::min(1.0f, std::min(2.0f * std::abs(hr.z) * std::abs(wo.z) / q,
                                                2.0f * std::abs(hr.z) * std::abs(wi.z) / q));
        f = std::min(G / std::max(4.0f * std::abs(wi.z) * std::abs(wo.z), 1e-20f), kBrdfBound);
    }

    // Density of wi: the half vector's density over 4 (wo·h), 8π = 25.132742.
    const float pdf = (n + 1.0f) * cosPowerN / std::max(25.132742f * (wo % h), 1e-6f);

    const AColor env = sc.EvalEnvironMap(envMap, d);
    // The density vanishes only with the distribution itself, for a half
    // vector in the tangent plane (u.y = 0) that still reflects a view from
    // below upwards; that sample carries nothing, rather than 0/0.
    const float w = pdf > 0.0f ? Dh * cosI * f / pdf : 0.0f;
    out = Color(w * env.r, w * env.g, w * env.b);
}

PreparedTorrSparrReflection::PreparedTorrSparrReflection(ShadeContext& sc, float n, Texmap* envMap,
                                                         const Point3& N)
    : sc_(&sc),
      envMap_(envMap),
      n_(n),
      frame_(FrameAroundAxis(N)),
      wo_(frame_.ToLocal(-sc.OrigView())),
      inverseNPlus1_(1.0f / (n + 1.0f)),
      normalisation_(n * 0.15915494f + 0.31830987f) {}

// The steps of SampleTorrSparrReflection, each for K pairs before the next.
template <int K>
void PreparedTorrSparrReflection::Estimates(Color& out, const Point2* u, Color* after) const {
    float cosThetaH[K];
    for (int k = 0; k < K; ++k) cosThetaH[k] = std::pow(u[k].y, inverseNPlus1_);
    Point3 h[K], wi[K], d[K];
    float cosI[K];
    for (int k = 0; k < K; ++k) {
        const float sinThetaH = std::sqrt(std::max(0.0f, 1.0f - cosThetaH[k] * cosThetaH[k]));
        const float phi = 6.2831855f * u[k].x;
        h[k] = Point3(std::cos(phi) * sinThetaH, std::sin(phi) * sinThetaH, cosThetaH[k]);
        wi[k] = 2.0f * (wo_ % h[k]) * h[k] - wo_;
        d[k] = Normalize(frame_.ToWorld(wi[k]));
        cosI[k] = d[k] % frame_.n;
    }
    // Directions not above the surface leave the estimate as it was.
    float w[K]{};
    for (int k = 0; k < K; ++k) {
        if (!(cosI[k] > 0.0f)) continue;
        const float cosPowerN = std::pow(cosThetaH[k], n_);
        const float Dh = normalisation_ * cosPowerN;
        float f = 0.0f;
        const Point3 halfSum = wo_ + wi[k];
        if (IsNonZero(wi[k].z) && IsNonZero(wo_.z) &&
            (IsNonZero(halfSum.x) || IsNonZero(halfSum.y) || IsNonZero(halfSum.z))) {
            const Point3 hr = Normalize(halfSum);
            const float q = std::max(std::abs(wo_ % hr), 1e-20f);
            const float G = std::min(1.0f, std::min(2.0f * std::abs(hr.z) * std::abs(wo_.z) / q,
                                                    2.0f * std::abs(hr.z) * std::abs(wi[k].z) / q));
            f = std::min(G / std::max(4.0f * std::abs(wi[k].z) * std::abs(wo_.z), 1e-20f),
                         kBrdfBound);
        }
        const float pdf = (n_ + 1.0f) * cosPowerN / std::max(25.132742f * (wo_ % h[k]), 1e-6f);
        w[k] = pdf > 0.0f ? Dh * cosI[k] * f / pdf : 0.0f;
    }
    WeighLookups(*sc_, envMap_, d, cosI, w, out, after);
}

template void PreparedTorrSparrReflection::Estimates<1>(Color&, const Point2*, Color*) const;
template void PreparedTorrSparrReflection::Estimates<kSampleBatch>(Color&, const Point2*,
                                                                   Color*) const;
