// One-sample estimate of environment light through a normalised Phong lobe, for
// glossy reflection with the "Phong" reflect model and for every glossy
// refraction of the preview.
#pragma once

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
