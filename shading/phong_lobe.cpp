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

void PreparedPhongLobe::Sample(Color& out, const Point2& u) const {
    const float cosTheta = std::pow(u.y, inverseC_);
    const float sinTheta = std::sqrt(1.0f - std::pow(u.y, twoOverC_));
    const float phi = 6.2831855f * u.x;
    const Point3 w = Normalize(cosTheta * axis_ + (std::cos(phi) * sinTheta) * frame_.x +
                               (std::sin(phi) * sinTheta) * frame_.y);
    const float d = w % axis_;
    const float P = std::pow(d, n_) * 0.15915494f;
    const float pdf = std::max(c_ * P, 1e-6f);
    const AColor e = sc_->EvalEnvironMap(env_, w);
    const float weight = nPlus2_ * P / pdf * d;
    out = Color(weight * e.r, weight * e.g, weight * e.b);
}
