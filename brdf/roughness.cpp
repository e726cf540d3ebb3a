// Own header
#include "brdf/roughness.h"

// Standard headers
#include <cmath>

float AlphaFromRoughness(float r) {
    const float x = std::log(r);
    // Quartic in ln r, in Horner order.
    return (((0.000640711f * x + 0.0171201f) * x + 0.1734f) * x + 0.819955f) * x + 1.62142f;
}
