// Own header
#include "brdf/microfacet_sampler.h"

// Project headers
#include "brdf/beckmann.h"
#include "brdf/rotation.h"
#include "brdf/roughness.h"
#include "brdf/trowbridge_reitz.h"

// Host headers
#include "shadecontext.h"

// Standard headers
#include <algorithm>
#include <cmath>

namespace {

// Above this the BRDF value of a bounded model is cut.
constexpr float kBrdfBound = 500.0f;

// The roughness pair from the squared perceptual roughness; anisotropy narrows
// the lobe along y only.
RoughnessPair LobeRoughness(float glossiness, float anisotropy) {
    const float halfRough = 0.5f - 0.5f * glossiness;
    const float r = halfRough * halfRough;
    return RoughnessPair{
        AlphaFromRoughness(std::max(r, 0.0001f)),
        AlphaFromRoughness(std::max(r * (1.0f - anisotropy) * (1.0f - anisotropy), 0.0001f))};
}

// An anisotropic lobe follows the driver's tangents, turned about N; x runs
// along B and y along T, so this frame is left-handed. An isotropic lobe needs
// no tangents at all.
LocalFrame LobeFrame(const RoughnessPair& alpha, float rotation, const Point3& N,
                     const TangentPair& tangents) {
    if (std::abs(alpha.alphaX - alpha.alphaY) > 0.00001f) {
        const RowMatrix3 turn = RotationAboutAxis(N, 6.2831855f * rotation);
        return LocalFrame{turn.Apply(tangents.b), turn.Apply(tangents.t), N};
    }
    return FrameAroundAxis(N);
}

template <class Model>
void SampleMicrofacetReflection(Color& out, ShadeContext& sc, const Point2& u, float glossiness,
                                float anisotropy, float rotation, Texmap* envMap, const Point3& N,
                                const TangentPair& tangents) {
    const RoughnessPair alpha = LobeRoughness(glossiness, anisotropy);
    const float alphaX = alpha.alphaX;
    const float alphaY = alpha.alphaY;
    const LocalFrame frame = LobeFrame(alpha, rotation, N, tangents);

    // Direction towards the eye, in the local frame.
    const Point3 V = sc.OrigView();
    const Point3 wo = frame.ToLocal(-V);

    // Seen from behind, the normal is drawn for the mirrored view and mirrored back.
    const bool flip = wo.z < 0.0f;
    Point3 m = Model::SampleVisibleNormal(flip ? -wo : wo, alphaX, alphaY, u.x, u.y);
    if (flip) m = -m;

    // View reflected about the microfacet normal.
    const Point3 wi = 2.0f * (wo % m) * m - wo;
    const Point3 d = Normalize(frame.ToWorld(wi));
    const float cosI = d % N;
    if (!(cosI > 0.0f)) return;

    // Density of wi under visible-normal sampling, D(m) G1(wo) / (4 |wo.z|).
    // The floor sits first in max so that 0 × ∞ from a view in the tangent
    // plane takes it instead of turning the estimate into no number.
    const float lambdaO = Model::SmithLambda(wo, alphaX, alphaY);
    const float pdf = std::max(1e-20f, Model::Ndf(m, alphaX, alphaY) * (1.0f / (1.0f + lambdaO)) *
                                           (0.25f / std::abs(wo.z)));

    const AColor env = sc.EvalEnvironMap(envMap, d);

    // Microfacet BRDF D(h) G(wo, wi) / (4 |wi.z| |wo.z|) with the height-correlated Smith G.
    float f = 0.0f;
    const Point3 halfSum = wo + wi;
    if (std::abs(wi.z) > 1e-6f && std::abs(wo.z) > 1e-6f &&
        (std::abs(halfSum.x) > 1e-6f || std::abs(halfSum.y) > 1e-6f ||
         std::abs(halfSum.z) > 1e-6f)) {
        const Point3 h = Normalize(halfSum);
        const float G = 1.0f / (1.0f + lambdaO + Model::SmithLambda(wi, alphaX, alphaY));
        f = Model::Ndf(h, alphaX, alphaY) * G /
            std::max(4.0f * std::abs(wi.z) * std::abs(wo.z), 1e-20f);
    }
    if constexpr (Model::kBoundedBrdf) f = std::min(f, kBrdfBound);

    const float w = f * cosI / pdf;
    out = Color(w * env.r, w * env.g, w * env.b);
}

}  // namespace

void SampleBeckmannReflection(Color& out, ShadeContext& sc, const Point2& u, float glossiness,
                              float anisotropy, float rotation, Texmap* envMap, const Point3& N,
                              const TangentPair& tangents) {
    SampleMicrofacetReflection<BeckmannMicrofacet>(out, sc, u, glossiness, anisotropy, rotation,
                                                   envMap, N, tangents);
}

void SampleTrggxReflection(Color& out, ShadeContext& sc, const Point2& u, float glossiness,
                           float anisotropy, float rotation, Texmap* envMap, const Point3& N,
                           const TangentPair& tangents) {
    SampleMicrofacetReflection<TrowbridgeReitzMicrofacet>(out, sc, u, glossiness, anisotropy,
                                                          rotation, envMap, N, tangents);
}

template <class Distribution>
PreparedMicrofacetReflection<Distribution>::PreparedMicrofacetReflection(
    ShadeContext& sc, float glossiness, float anisotropy, float rotation, Texmap* envMap,
    const Point3& N, const TangentPair& tangents)
    : sc_(&sc),
      envMap_(envMap),
      N_(N),
      alpha_(LobeRoughness(glossiness, anisotropy)),
      frame_(LobeFrame(alpha_, rotation, N, tangents)),
      wo_(frame_.ToLocal(-sc.OrigView())),
      flip_(wo_.z < 0.0f),
      normals_(flip_ ? -wo_ : wo_, alpha_.alphaX, alpha_.alphaY),
      onePlusLambdaO_(1.0f + Distribution::SmithLambda(wo_, alpha_.alphaX, alpha_.alphaY)),
      maskingO_(1.0f / onePlusLambdaO_),
      quarterOverCosO_(0.25f / std::abs(wo_.z)) {}

// The steps of SampleMicrofacetReflection, each for K pairs before the next.
template <class Distribution>
template <int K>
void PreparedMicrofacetReflection<Distribution>::Estimates(Color& out, const Point2* u,
                                                           Color* after) const {
    const float alphaX = alpha_.alphaX;
    const float alphaY = alpha_.alphaY;
    float u1[K], u2[K];
    for (int k = 0; k < K; ++k) {
        u1[k] = u[k].x;
        u2[k] = u[k].y;
    }
    Point3 m[K], wi[K], d[K];
    normals_.template Samples<K>(u1, u2, m);
    float cosI[K];
    for (int k = 0; k < K; ++k) {
        if (flip_) m[k] = -m[k];
        wi[k] = 2.0f * (wo_ % m[k]) * m[k] - wo_;
        d[k] = Normalize(frame_.ToWorld(wi[k]));
        cosI[k] = d[k] % N_;
    }
    // Directions not above the surface leave the estimate as it was.
    float w[K]{};
    for (int k = 0; k < K; ++k) {
        if (!(cosI[k] > 0.0f)) continue;
        const float pdf = std::max(
            1e-20f, Distribution::Ndf(m[k], alphaX, alphaY) * maskingO_ * quarterOverCosO_);
        float f = 0.0f;
        const Point3 halfSum = wo_ + wi[k];
        if (std::abs(wi[k].z) > 1e-6f && std::abs(wo_.z) > 1e-6f &&
            (std::abs(halfSum.x) > 1e-6f || std::abs(halfSum.y) > 1e-6f ||
             std::abs(halfSum.z) > 1e-6f)) {
            const Point3 h = Normalize(halfSum);
            const float G =
                1.0f / (onePlusLambdaO_ + Distribution::SmithLambda(wi[k], alphaX, alphaY));
            f = Distribution::Ndf(h, alphaX, alphaY) * G /
                std::max(4.0f * std::abs(wi[k].z) * std::abs(wo_.z), 1e-20f);
        }
        if constexpr (Distribution::kBoundedBrdf) f = std::min(f, kBrdfBound);
        w[k] = f * cosI[k] / pdf;
    }
    WeighLookups(*sc_, envMap_, d, cosI, w, out, after);
}

template class PreparedMicrofacetReflection<BeckmannMicrofacet>;
template class PreparedMicrofacetReflection<TrowbridgeReitzMicrofacet>;
template void PreparedBeckmannReflection::Estimates<1>(Color&, const Point2*, Color*) const;
template void PreparedBeckmannReflection::Estimates<kSampleBatch>(Color&, const Point2*,
                                                                  Color*) const;
template void PreparedTrggxReflection::Estimates<1>(Color&, const Point2*, Color*) const;
template void PreparedTrggxReflection::Estimates<kSampleBatch>(Color&, const Point2*, Color*) const;
