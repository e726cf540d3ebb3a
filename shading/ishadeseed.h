// IShadeSeed: how a host chooses the random numbers of preview shading.
//
// Each shading call restarts the preview's random generator from a starting value. A host
// that wants pictures that do not depend on how its render threads interleave
// offers this interface from its shading context (ShadeContext::GetInterface with
// the id below): Shade then asks it for the starting value of the call about to be made and
// leaves the module's shared call counter alone. A context that offers none gets
// the next value of that counter, which advances once per call over the module's
// lifetime from 0 and wraps from 0xFFFFFFFE to 0: a single-threaded host that
// shades pixel after pixel in a freshly loaded module thus gives its n-th call
// (counted from 1) the starting value n % 0xFFFFFFFF.
//
// ShadeSeed is called once per shading call, from the thread that shades with the
// context; it must answer without locking anything.
#pragma once

#include "baseinterface.h"

#include <cstdint>

#define LUMRA_SHADE_SEED_INTERFACE Interface_ID(0x4C756D72, 0x53656564)

class IShadeSeed : public BaseInterface {
public:
    Interface_ID GetID() override { return LUMRA_SHADE_SEED_INTERFACE; }
    // The starting value of the shading call about to be made with the context.
    virtual std::uint32_t ShadeSeed() = 0;
};

// The starting value the shared counter gives the n-th shading call of a module, n counted
// from 1: what a context that follows a single-threaded render answers.
inline std::uint32_t ShadeSeedOfCall(std::uint64_t n) {
    return static_cast<std::uint32_t>(n % 0xFFFFFFFFull);
}
