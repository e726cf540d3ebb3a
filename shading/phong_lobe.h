// One-sample estimate of environment light through a normalised Phong lobe, for
// glossy reflection with the "Phong" reflect model and for every glossy
// refraction of the preview.
#pragma once

// Project headers
#include "brdf/batched_sampler.h"
#include "brdf/local_frame.h"

// Host headers
#include "color.h"
#include "point2.h"
#include "point3.h"

class ShadeContext;
class Texmap;

// Draws a direction around the unit lobe axis A (the mirror or the refraction
// direction) with density (n + 1)/(2π) cos^n and always writes
// environment colour × (n + 2)/(2π) cos^n × cosine to A ÷ density into out;
// no test against the surface is made. u = (u1, u2) with u2 ≥ 1e-6, cosine
// power n ≥ 1 in practice. sc is used only through one EvalEnvironMap.
void SamplePhongLobe(Color& out, ShadeContext& sc, const Point2& u, float n, Texmap* env,
                     const Point3& A);

// The lobe prepared for the many draws of one shading call about one axis: its
// frame and constants are worked out once. Its estimates are SamplePhongLobe's.
class PreparedPhongLobe : public BatchedSampler<PreparedPhongLobe> {
public:
    PreparedPhongLobe(ShadeContext& sc, float n, Texmap* env, const Point3& A);

private:
    friend BatchedSampler;
    template <int K>
    void Estimates(Color& out, const Point2* u, Color* after) const;

    ShadeContext* sc_;
    Texmap* env_;
    float n_;
    Point3 axis_;
    LocalFrame frame_;
    float c_;         // n + 1
    float inverseC_;  // 1 / c
    float twoOverC_;  // 2 / c
    float nPlus2_;
};
