// What the environment samplers prepared for one shading call have in common: the
// two calls the shader makes, and the last steps of their estimates.
#pragma once

// Project headers
#include "brdf/sample_batch.h"

// Host headers
#include "color.h"
#include "point2.h"
#include "point3.h"
#include "shadecontext.h"

// A prepared sampler works out K estimates side by side in its Estimates<K>(out,
// u, after), defined beside the sampler and instantiated there for 1 and
// kSampleBatch: after[i] is out as i + 1 single draws would leave it, and out is
// left as the last. The sampler derives from BatchedSampler<itself> and befriends
// it; Sample gives bit for bit what the sampler's named function gives for the
// same arguments, and makes the same environment lookup.
template <class Sampler>
class BatchedSampler {
public:
    void Sample(Color& out, const Point2& u) const {
        Color after[1];
        Self().template Estimates<1>(out, &u, after);
    }
    void SampleBatch(Color& out, const Point2 (&u)[kSampleBatch],
                     Color (&after)[kSampleBatch]) const {
        Self().template Estimates<kSampleBatch>(out, u, after);
    }

private:
    const Sampler& Self() const { return static_cast<const Sampler&>(*this); }
};

// The last steps of K estimates: every direction d[k] above the surface (cosine
// cosI[k] > 0) is looked up in the environment, all before the first is weighed,
// and then makes out its weight w[k] times the colour found; the others leave out
// as it was. after[k] is out after the k-th.
template <int K>
void WeighLookups(ShadeContext& sc, Texmap* env, const Point3 (&d)[K], const float (&cosI)[K],
                  const float (&w)[K], Color& out, Color* after) {
    AColor e[K];
    for (int k = 0; k < K; ++k)
        if (cosI[k] > 0.0f) e[k] = sc.EvalEnvironMap(env, d[k]);
    for (int k = 0; k < K; ++k) {
        if (cosI[k] > 0.0f) out = Color(w[k] * e[k].r, w[k] * e[k].g, w[k] * e[k].b);
        after[k] = out;
    }
}
