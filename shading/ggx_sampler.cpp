// Own header
#include "shading/ggx_sampler.h"

// Project headers
#include "brdf/local_frame.h"

// Host headers
#include "shadecontext.h"

// Standard headers
#include <algorithm>
#include <cmath>

namespace {

// The draw itself, inline in the environment sampler below.
inline Point3 DrawGgxVisibleNormal(const Point3& wo, float alpha, float u1, float u2) {
    // View stretched to unit roughness.
    const Point3 Vh = Normalize(Point3(alpha * wo.x, alpha * wo.y, wo.z));
    // Disc basis around the stretched view.
    const Point3 T1 = Vh.z >= 0.999f ? Point3(1.0f, 0.0f, 0.0f)
                                     : Normalize(CrossProd(Vh, Point3(0.0f, 0.0f, 1.0f)));
    const Point3 T2 = CrossProd(T1, Vh);

    // Point on the unit disc: the share a of u2 covers the full half disc,
    // the rest the half disc foreshortened by Vh.z.
    const float a = 1.0f / (1.0f + Vh.z);
    const float r = std::sqrt(u1);
    // Both halves are formed and one is picked: u2 is random, so a branch on
    // it would often be mispredicted.
    const bool fullHalf = u2 < a;
    const float phiFull = u2 * (1.0f + Vh.z) * 3.1415927f;
    const float phiProjected = ((u2 - a) / (1.0f - a) + 1.0f) * 3.1415927f;
    const float phi = fullHalf ? phiFull : phiProjected;
    const float s = fullHalf ? 1.0f : Vh.z;
    const float P1 = r * std::cos(phi);
    const float P2 = r * std::sin(phi) * s;

    // Disc point lifted onto the hemisphere around Vh, then unstretched.
    const Point3 h = P1 * T1 + P2 * T2 + std::sqrt(std::max(0.0f, 1.0f - P1 * P1 - P2 * P2)) * Vh;
    return Normalize(Point3(alpha * h.x, alpha * h.y, std::max(0.0f, h.z)));
}

}  // namespace

Point3 GgxSampleVisibleNormal(const Point3& wo, float alpha, float u1, float u2) {
    return DrawGgxVisibleNormal(wo, alpha, u1, u2);
}

void SampleGgxReflection(Color& out, ShadeContext& sc, const Point2& u, float g, Texmap* env,
                         const Point3& N) {
    const float alpha = (1.0f - g) * (1.0f - g);

    const LocalFrame frame = FrameAroundAxis(N);
    const Point3 V = sc.OrigView();
    const Point3 wo = frame.ToLocal(-V);

    const Point3 m = DrawGgxVisibleNormal(wo, alpha, u.x, u.y);
    // View reflected about the microfacet normal, back in shading space.
    const Point3 wl = 2.0f * (wo % m) * m - wo;
    const Point3 w = Normalize(frame.ToWorld(wl));

    const float NL = w % N;
    if (!(NL > 0.0f)) return;

    // Smith masking of the view and masking-shadowing of the pair.
    const float NV = -V % N;
    const float G1 = 2.0f * NV / std::max(NV + std::sqrt((1.0f - alpha) * NV * NV + alpha), 1e-6f);
    const float G2 = 2.0f * NL * NV /
                     std::max(NV * std::sqrt((1.0f - alpha) * NL * NL + alpha) +
                                  NL * std::sqrt((1.0f - alpha) * NV * NV + alpha),
                              1e-6f);

    const AColor e = sc.EvalEnvironMap(env, w);
    // A view exactly in the tangent plane masks everything (G1 = G2 = 0): the
    // sample then carries nothing, rather than 0/0.
    const float weight = G1 != 0.0f ? G2 / G1 : 0.0f;
    out = Color(weight * e.r, weight * e.g, weight * e.b);
}

PreparedGgxReflection::PreparedGgxReflection(ShadeContext& sc, float g, Texmap* env,
                                             const Point3& N)
    : sc_(&sc), env_(env), alpha_((1.0f - g) * (1.0f - g)), frame_(FrameAroundAxis(N)) {
    const Point3 V = sc.OrigView();
    wo_ = frame_.ToLocal(-V);
    Vh_ = Normalize(Point3(alpha_ * wo_.x, alpha_ * wo_.y, wo_.z));
    T1_ = Vh_.z >= 0.999f ? Point3(1.0f, 0.0f, 0.0f)
                          : Normalize(CrossProd(Vh_, Point3(0.0f, 0.0f, 1.0f)));
    T2_ = CrossProd(T1_, Vh_);
    a_ = 1.0f / (1.0f + Vh_.z);
    NV_ = -V % N;
    viewRoot_ = std::sqrt((1.0f - alpha_) * NV_ * NV_ + alpha_);
    G1_ = 2.0f * NV_ / std::max(NV_ + viewRoot_, 1e-6f);
}

// The steps of SampleGgxReflection, each for K pairs before the next.
template <int K>
void PreparedGgxReflection::Estimates(Color& out, const Point2* u, Color* after) const {
    Point3 w[K];
    float NL[K];
    for (int k = 0; k < K; ++k) {
        const float u1 = u[k].x;
        const float u2 = u[k].y;
        const float r = std::sqrt(u1);
        const bool fullHalf = u2 < a_;
        const float phiFull = u2 * (1.0f + Vh_.z) * 3.1415927f;
        const float phiProjected = ((u2 - a_) / (1.0f - a_) + 1.0f) * 3.1415927f;
        const float phi = fullHalf ? phiFull : phiProjected;
        const float s = fullHalf ? 1.0f : Vh_.z;
        const float P1 = r * std::cos(phi);
        const float P2 = r * std::sin(phi) * s;
        const Point3 h =
            P1 * T1_ + P2 * T2_ + std::sqrt(std::max(0.0f, 1.0f - P1 * P1 - P2 * P2)) * Vh_;
        const Point3 m = Normalize(Point3(alpha_ * h.x, alpha_ * h.y, std::max(0.0f, h.z)));
        const Point3 wl = 2.0f * (wo_ % m) * m - wo_;
        w[k] = Normalize(frame_.ToWorld(wl));
        NL[k] = w[k] % frame_.n;
    }
    // Directions not above the surface leave the estimate as it was.
    float weight[K]{};
    for (int k = 0; k < K; ++k) {
        if (!(NL[k] > 0.0f)) continue;
        const float G2 =
            2.0f * NL[k] * NV_ /
            std::max(NV_ * std::sqrt((1.0f - alpha_) * NL[k] * NL[k] + alpha_) + NL[k] * viewRoot_,
                     1e-6f);
        weight[k] = G1_ != 0.0f ? G2 / G1_ : 0.0f;
    }
    WeighLookups(*sc_, env_, w, NL, weight, out, after);
}

template void PreparedGgxReflection::Estimates<1>(Color&, const Point2*, Color*) const;
template void PreparedGgxReflection::Estimates<kSampleBatch>(Color&, const Point2*, Color*) const;
