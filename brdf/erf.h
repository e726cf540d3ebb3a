// Single-precision error-function pair used by the Beckmann slope sampler.
#pragma once

// erf(x) by Abramowitz and Stegun 7.1.26 (absolute error below 1.5e-7).
float ErfApprox(float x);

// erf⁻¹(x) by Giles' single-precision fit; the argument is clamped to
// ±0.99999, so the result stays within about ±3.1234 and a NaN maps to the
// lower end instead of escaping.
float InverseErf(float x);
