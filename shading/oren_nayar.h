// Oren–Nayar roughness factor of the preview's diffuse term.
#pragma once

// Host headers
#include "point3.h"

// The factor A + B max(0, cos(φi − φo)) sin α tan β that scales a light's
// Lambert term on a rough diffuse surface; no 1/π and no albedo. wi points
// towards the light, wo towards the eye, N is the unit shading normal and
// roughness (0…1) is σ in units of π/2 radians. 1 at roughness 0.
float OrenNayarFactor(const Point3& wi, const Point3& wo, const Point3& N, float roughness);
