// One-sample estimate of environment light reflected by the isotropic
// "TorrSparr" reflect model: a normalised Blinn half-vector lobe of cosine
// power n with Torrance-Sparrow V-cavity shadowing, sampled by the power.
//
// Writes environment colour × BRDF × cosine ÷ sampling density into out, or
// leaves out as it was when the reflected direction is not above the surface.
// u.x drives the azimuth and u.y the polar angle of the half vector; n ≥ 0;
// N is the unit shading normal. sc is used only through OrigView (once) and
// EvalEnvironMap (at most once). Fresnel and colour are the caller's.
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

void SampleTorrSparrReflection(Color& out, ShadeContext& sc, const Point2& u, float n,
                               Texmap* envMap, const Point3& N);

// The sampler prepared for the many estimates of one shading call: the frame,
// the view in it (read once) and the lobe's constants are worked out once.
class PreparedTorrSparrReflection : public BatchedSampler<PreparedTorrSparrReflection> {
public:
    PreparedTorrSparrReflection(ShadeContext& sc, float n, Texmap* envMap, const Point3& N);

private:
    friend BatchedSampler;
    template <int K>
    void Estimates(Color& out, const Point2* u, Color* after) const;

    ShadeContext* sc_;
    Texmap* envMap_;
    float n_;
    LocalFrame frame_;
    Point3 wo_;
    float inverseNPlus1_;  // 1 / (n + 1)
    float normalisation_;  // (n + 2) / 2π
};
