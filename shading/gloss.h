// Glossiness as the Phong and TorrSparr lobes need it: a cosine power.
#pragma once

#include <cmath>

// Maps glossiness (0 to 1, or beyond with a map) to a cosine power: two
// exponential pieces meeting near 12.3 at 0.5; 0 gives about 1.08.
inline float GlossToCosPower(float x) {
    if (x < 0.5f) return std::pow(2.7182817f, 4.8652358f * x + 0.78064f) * 0.495448f;
    return std::pow(2.7182817f, 22.425083f * x - 4.147466f) * 0.000575f + 11.584066f;
}
