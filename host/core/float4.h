// Four floats worked on at once, lane by lane: every lane gets exactly the
// single-precision arithmetic that the same expression gives a float, so code
// written for Float4 answers bit for bit what its one-float form answers.
#pragma once

#include <cstdint>
#include <cstring>

typedef float Float4 __attribute__((vector_size(16)));
typedef std::int32_t Mask4 __attribute__((vector_size(16)));

// Per lane: a where the mask is set (a comparison's true), else b.
inline Float4 Select(Mask4 mask, Float4 a, Float4 b) {
    return (Float4)(((Mask4)a & mask) | ((Mask4)b & ~mask));
}

constexpr Float4 Splat4(float v) { return Float4{v, v, v, v}; }

inline Float4 Abs(Float4 v) { return (Float4)((Mask4)v & 0x7FFFFFFF); }

// Four floats from memory that need not be aligned.
inline Float4 Load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
