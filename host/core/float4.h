// Four floats worked on at once, lane by lane: every lane gets exactly the
// single-precision arithmetic that the same expression gives a float, so code
// written for Float4 answers bit for bit what its one-float form answers.
#pragma once

#include <cstring>

typedef float Float4 __attribute__((vector_size(16)));

// Four floats from memory that need not be aligned.
inline Float4 Load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
