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

// Host headers
#include "color.h"
#include "point2.h"
#include "point3.h"

class ShadeContext;
class Texmap;

void SampleTorrSparrReflection(Color& out, ShadeContext& sc, const Point2& u, float n,
                               Texmap* envMap, const Point3& N);
