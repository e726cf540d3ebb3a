// The raw value block of chunk 0x5000: all 55 cached and retired members, packed
// without padding in an order of its own (not the members' declaration order):
// the eight colours (12 bytes each), the sixteen switches (one byte each, the low
// byte of the 32-bit member), the 25 floats, then the six integers (4 bytes each);
// 236 bytes in all, little-endian. This layout is a file format: it never changes.
#pragma once

#include "material/cached_state.h"

#include <array>
#include <cstddef>

inline constexpr std::array<CachedMember, 55> kRawValueOrder = [] {
    using namespace cached_members;
    using S = CachedState;
    constexpr ParamID x = CachedMember::kLegacy;  // the source does not matter here
    return std::array<CachedMember, 55>{
        Rgb("diffuseColor", x, &S::diffuseColor),
        Rgb("specularColor", x, &S::specularColor),
        Rgb("reflectColor", x, &S::reflectColor),
        Rgb("emissionColor", x, &S::emissionColor),
        Rgb("transparencyColor", x, &S::transparencyColor),
        Rgb("fogColor", x, &S::fogColor),
        Rgb("exitColor", x, &S::exitColor),
        Rgb("translucencyColor", x, &S::translucencyColor),
        Bool("displacementOn", x, &S::displacementOn),
        Bool("displacementInvertHeightOn", x, &S::displacementInvertHeightOn),
        Bool("diffuseMultOn", x, &S::diffuseMultOn),
        Bool("specularMultOn", x, &S::specularMultOn),
        Bool("emissionMultOn", x, &S::emissionMultOn),
        Bool("transparencyMultOn", x, &S::transparencyMultOn),
        Bool("reflectMultOn", x, &S::reflectMultOn),
        Bool("transparencyThinOn", x, &S::transparencyThinOn),
        Bool("affectShadow", x, &S::affectShadow),
        Bool("noIcRecords", x, &S::noIcRecords),
        Bool("specFresnelOn", x, &S::specFresnelOn),
        Bool("reflFresnelOn", x, &S::reflFresnelOn),
        Bool("lockSpecular", x, &S::lockSpecular),
        Bool("emissionGi", x, &S::emissionGi),
        Bool("opacitySmooth", x, &S::opacitySmooth),
        Bool("translucencyMultOn", x, &S::translucencyMultOn),
        Float("specularRoughness", x, &S::specularRoughness),
        Float("reflectRoughness", x, &S::reflectRoughness),
        Float("reflectCospower", x, &S::reflectCospower),
        Float("specularCospower", x, &S::specularCospower),
        Float("ior", x, &S::ior),
        Float("specularIor", x, &S::specularIor),
        Float("reflectIor", x, &S::reflectIor),
        Float("transparencyCospower", x, &S::transparencyCospower),
        Float("fogMultiplier", x, &S::fogMultiplier),
        Float("displacementHeight", x, &S::displacementHeight),
        Float("diffuseMult", x, &S::diffuseMult),
        Float("specularMult", x, &S::specularMult),
        Float("emissionMult", x, &S::emissionMult),
        Float("transparencyMult", x, &S::transparencyMult),
        Float("reflectMult", x, &S::reflectMult),
        Float("specGloss", x, &S::specGloss),
        Float("reflGloss", x, &S::reflGloss),
        Float("transpGloss", x, &S::transpGloss),
        Float("bumpAmount", x, &S::bumpAmount),
        Float("bumpRadius", x, &S::bumpRadius),
        Float("bumpSigma", x, &S::bumpSigma),
        Float("translucencyMult", x, &S::translucencyMult),
        Float("roughnessMult", x, &S::roughnessMult),
        Float("reflectAnisotropy", x, &S::reflectAnisotropy),
        Float("reflectRotation", x, &S::reflectRotation),
        Int("specularBrdf", x, &S::specularBrdf),
        Int("reflectBrdf", x, &S::reflectBrdf),
        Int("specGlossOrCos", x, &S::specGlossOrCos),
        Int("reflGlossOrCos", x, &S::reflGlossOrCos),
        Int("transpGlossOrCos", x, &S::transpGlossOrCos),
        Int("reflectExtrusion", x, &S::reflectExtrusion),
    };
}();

// Bytes a member takes in the block.
constexpr std::size_t RawFieldSize(const CachedMember& m) {
    switch (m.kind) {
        case CachedMember::Kind::Color:
            return 12;
        case CachedMember::Kind::Bool:
            return 1;
        default:
            return 4;
    }
}

constexpr std::size_t RawValuesSize() {
    std::size_t n = 0;
    for (const CachedMember& m : kRawValueOrder) n += RawFieldSize(m);
    return n;
}
static_assert(RawValuesSize() == 236);
