// Own header
#include "shading/phong_lobe.h"

// Host headers
#include "shadecontext.h"

// Standard headers
#include <algorithm>
#include <cmath>

void SamplePhongLobe(Color& out, ShadeContext& sc, const Point2& u, float n, Texmap* env,
                     const Point3& A) {
    // Polar angle about the axis with density ∝ cos^n.
    const float c = n + 1.0f;
    const float cosTheta = std::pow(u.y, 1.0f / c);
    const float sinTheta = std::sqrt(1.0f - std::pow(u.y, 2.0f / c));
    const float phi = 6.2831855f * u.x;

    const LocalFrame frame = FrameAroundAxis(A);
    const Point3 w = Normalize(cosTheta * A + (std::cos(phi) * sinTheta) * frame.x +
                               (std::sin(phi) * sinTheta) * frame.y);

    // cos^n / 2π and the sampling density, floored.
    const float d = w % A;
    const float P = std::pow(d, n) * 0.15915494f;
    const float pdf = std::max(c * P, 1e-6f);

    const AColor e = sc.EvalEnvironMap(env, w);
    // (n + 2)/(n + 1) × d while the density is above its floor.
    const float weight = (n + 2.0f) * P / pdf * d;
    out = Color(weight * e.r, weight * e.g, weight * e.b);
}

PreparedPhongLobe::PreparedPhongLobe(ShadeContext& sc, float n, Texmap* env, const Point3& A)
    : sc_(&sc),
      env_(env),
      n_(n),
      axis_(A),
      frame_(FrameAroundAxis(A)),
      c_(n + 1.0f),
      inverseC_(1.0f / c_),
      twoOverC_(2.0f / c_),
      nPlus2_(n + 2.0f) {}

// The steps of SamplePhongLobe, each for K pairs before the next.
template <int K>
void PreparedPhongLobe::Estimates(Color& out, const Point2* u, Color* after) const {
    float cosTheta[K], sinTheta[K];
    for (int k = 0; k < K; ++k) cosTheta[k] = std::pow(u[k].y, inverseC_);
    for (int k = 0; k < K; ++k) sinTheta[k] = std::sqrt(1.0f - std::pow(u[k].y, twoOverC_));
    Point3 w[K];
    float d[K];
    for (int k = 0; k < K; ++k) {
        const float phi = 6.2831855f * u[k].x;
        w[k] = Normalize(cosTheta[k] * axis_ + (std::cos(phi) * sinTheta[k]) * frame_.x +
                         (std::sin(phi) * sinTheta[k]) * frame_.y);
        d[k] = w[k] % axis_;
    }
    float P[K];
    for (int k = 0; k < K; ++k) P[k] = std::pow(d[k], n_) * 0.15915494f;
    AColor e[K];
    for (int k = 0; k < K; ++k) e[k] = sc_->EvalEnvironMap(env_, w[k]);
    for (int k = 0; k < K; ++k) {
        const float pdf = std::max(c_ * P[k], 1e-6f);
        const float weight = nPlus2_ * P[k] / pdf * d[k];
        after[k] = out = Color(weight * e[k].r, weight * e[k].g, weight * e[k].b);
    }
}

template void PreparedPhongLobe::Estimates<1>(Color&, const Point2*, Color*) const;
template void PreparedPhongLobe::Estimates<kSampleBatch>(Color&, const Point2*, Color*) const;
