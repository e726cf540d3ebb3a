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
#include "brdf/local_frame.h"

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
