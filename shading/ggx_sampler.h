// One-sample estimate of environment light reflected by the isotropic "GGX"
// reflect model, and its visible-normal sampler.
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

// Draws a visible GGX normal for roughness α = (1 − g)², reflects the view
// about it and writes environment colour × G2/G1 into out, or leaves out as it
// was when the reflected direction is not above the surface. The Smith terms
// take α where the textbook form takes α², which keeps the preview's GGX
// highlights as artists know them. g in [0, 1); N is the unit shading normal.
// sc is used only through OrigView (once) and EvalEnvironMap (at most once).
void SampleGgxReflection(Color& out, ShadeContext& sc, const Point2& u, float g, Texmap* env,
                         const Point3& N);

// A microfacet normal drawn from the GGX visible normals seen from wo (local
// frame, z along the normal), by stretching the view to unit roughness and
// sampling a disc split between the hemisphere's lit and projected halves.
// Near the normal (stretched view z ≥ 0.999) the disc basis is fixed to x;
// it is then not quite orthogonal to the view.
Point3 GgxSampleVisibleNormal(const Point3& wo, float alpha, float u1, float u2);

// The sampler prepared for the many estimates of one shading call: the frame,
// the view in it (read once), the stretched view's disc basis and the view's
// masking are worked out once. Its estimates are SampleGgxReflection's.
class PreparedGgxReflection : public BatchedSampler<PreparedGgxReflection> {
public:
    PreparedGgxReflection(ShadeContext& sc, float g, Texmap* env, const Point3& N);

private:
    friend BatchedSampler;
    template <int K>
    void Estimates(Color& out, const Point2* u, Color* after) const;

    ShadeContext* sc_;
    Texmap* env_;
    float alpha_;
    LocalFrame frame_;
    Point3 wo_;
    // The visible-normal draw's view-dependent part.
    Point3 Vh_, T1_, T2_;
    float a_;
    // Smith terms of the view.
    float NV_;
    float G1_;
    float viewRoot_;  // √((1 − α) NV² + α)
};
