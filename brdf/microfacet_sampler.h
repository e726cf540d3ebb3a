// One-sample estimates of environment light reflected by the anisotropic
// "Beckmann" and "TRGGX" reflect models, for the preview's progressive loop.
//
// Each call turns glossiness and anisotropy into the roughness pair, builds
// the local frame (turned by rotation when the lobe is anisotropic), draws a
// visible microfacet normal, reflects the view about it and writes
//   environment colour × BRDF × cosine ÷ sampling density
// into out. When the reflected direction is not above the surface, out keeps
// its previous value. Fresnel and colour are the caller's.
//
//   u           (u.x, u.y) uniform in [0, 1], u.x < 1
//   glossiness  [0, 1); the caller takes its mirror path at 1
//   anisotropy  [0, 1]; narrows the lobe along the frame's second axis
//   rotation    [0, 1]; fraction of a full turn of the anisotropic frame
//   envMap      passed unchanged to sc.EvalEnvironMap
//   N           unit shading normal
//   tangents    unit T perpendicular to N and B = N × T
//
// sc is used only through OrigView (once) and EvalEnvironMap (at most once).
#pragma once

// Project headers
#include "brdf/batched_sampler.h"
#include "brdf/beckmann.h"
#include "brdf/local_frame.h"
#include "brdf/trowbridge_reitz.h"

// Host headers
#include "color.h"
#include "point2.h"
#include "point3.h"

class ShadeContext;
class Texmap;

void SampleBeckmannReflection(Color& out, ShadeContext& sc, const Point2& u, float glossiness,
                              float anisotropy, float rotation, Texmap* envMap, const Point3& N,
                              const TangentPair& tangents);

// As SampleBeckmannReflection with the Trowbridge-Reitz distribution, and
// without the bound on the BRDF value.
void SampleTrggxReflection(Color& out, ShadeContext& sc, const Point2& u, float glossiness,
                           float anisotropy, float rotation, Texmap* envMap, const Point3& N,
                           const TangentPair& tangents);

// The two distributions as the samplers use them.
struct BeckmannMicrofacet {
    static Point3 SampleVisibleNormal(const Point3& wo, float ax, float ay, float u1, float u2) {
        return BeckmannSampleVisibleNormal(wo, ax, ay, u1, u2);
    }
    using PreparedVisibleNormal = PreparedBeckmannVisibleNormal;
    static float Ndf(const Point3& m, float ax, float ay) { return BeckmannNdf(m, ax, ay); }
    static float SmithLambda(const Point3& w, float ax, float ay) {
        return BeckmannSmithLambda(w, ax, ay);
    }
    // The Beckmann preview bounds the BRDF value so that the sharpest lobes
    // give no fireflies.
    static constexpr bool kBoundedBrdf = true;
};

struct TrowbridgeReitzMicrofacet {
    static Point3 SampleVisibleNormal(const Point3& wo, float ax, float ay, float u1, float u2) {
        return TrowbridgeReitzSampleVisibleNormal(wo, ax, ay, u1, u2);
    }
    using PreparedVisibleNormal = PreparedTrowbridgeReitzVisibleNormal;
    static float Ndf(const Point3& m, float ax, float ay) { return TrowbridgeReitzNdf(m, ax, ay); }
    static float SmithLambda(const Point3& w, float ax, float ay) {
        return TrowbridgeReitzSmithLambda(w, ax, ay);
    }
    static constexpr bool kBoundedBrdf = false;
};

// The roughnesses of a lobe along its frame's x and y.
struct RoughnessPair {
    float alphaX;
    float alphaY;
};

// A sampler prepared for the many estimates of one shading call: the roughness
// pair, the frame, the view in it, the view's masking and the visible-normal
// sampler's view-dependent part are worked out once, the view read once. Its
// estimates are SampleBeckmannReflection's (SampleTrggxReflection's).
template <class Distribution>
class PreparedMicrofacetReflection
    : public BatchedSampler<PreparedMicrofacetReflection<Distribution>> {
public:
    PreparedMicrofacetReflection(ShadeContext& sc, float glossiness, float anisotropy,
                                 float rotation, Texmap* envMap, const Point3& N,
                                 const TangentPair& tangents);

private:
    friend BatchedSampler<PreparedMicrofacetReflection>;
    template <int K>
    void Estimates(Color& out, const Point2* u, Color* after) const;

    // In the order the constructor works them out.
    ShadeContext* sc_;
    Texmap* envMap_;
    Point3 N_;
    RoughnessPair alpha_;
    LocalFrame frame_;
    Point3 wo_;
    bool flip_;
    typename Distribution::PreparedVisibleNormal normals_;
    float onePlusLambdaO_;   // 1 + Λ(wo)
    float maskingO_;         // G1(wo) = 1 / (1 + Λ(wo))
    float quarterOverCosO_;  // 0.25 / |wo.z|
};

using PreparedBeckmannReflection = PreparedMicrofacetReflection<BeckmannMicrofacet>;
using PreparedTrggxReflection = PreparedMicrofacetReflection<TrowbridgeReitzMicrofacet>;
extern template class PreparedMicrofacetReflection<BeckmannMicrofacet>;
extern template class PreparedMicrofacetReflection<TrowbridgeReitzMicrofacet>;
