// The material's cached parameter values: the 45 values the preview shader and the
// host's colour queries read, refreshed from the parameter block once per validity
// interval, and the ten members of the retired specular layer, which only
// construction, cloning, loading and two setters write.
#pragma once

#include "material/param_ids.h"

#include "color.h"
#include "windows.h"

#include <array>

// Member order is the material's declaration order. Initial values are those a new
// material holds until its first refresh; several differ from the parameters'
// defaults.
struct CachedState {
    int specularBrdf = 3;  // legacy
    int reflectBrdf = 3;
    int specGlossOrCos = 0;  // legacy
    int reflGlossOrCos = 0;
    int transpGlossOrCos = 0;
    int reflectExtrusion = 0;
    Color diffuseColor = Color(0.8f, 0.8f, 0.8f);
    Color specularColor = Color(1.0f, 1.0f, 1.0f);  // legacy
    Color reflectColor = Color(1.0f, 1.0f, 1.0f);
    Color emissionColor = Color(1.0f, 1.0f, 1.0f);
    Color transparencyColor = Color(1.0f, 1.0f, 1.0f);
    Color fogColor = Color(1.0f, 1.0f, 1.0f);
    Color exitColor = Color(1.0f, 1.0f, 1.0f);
    Color translucencyColor = Color(1.0f, 1.0f, 1.0f);
    BOOL displacementOn = 0;
    BOOL displacementInvertHeightOn = 0;
    BOOL noIcRecords = 0;
    BOOL diffuseMultOn = 0;
    BOOL specularMultOn = 0;  // legacy
    BOOL emissionMultOn = 0;
    BOOL transparencyMultOn = 0;
    BOOL reflectMultOn = 0;
    BOOL transparencyThinOn = 0;
    BOOL translucencyMultOn = 0;
    BOOL affectShadow = 1;
    BOOL specFresnelOn = 1;  // legacy
    BOOL reflFresnelOn = 1;
    BOOL lockSpecular = 1;
    BOOL emissionGi = 1;
    BOOL opacitySmooth = 0;
    float specularRoughness = 0.0f;  // legacy
    float reflectRoughness = 0.0f;
    float reflectCospower = 0.0f;
    float specularCospower = 0.0f;  // legacy
    float ior = 1.5f;
    float specularIor = 0.0f;  // legacy
    float reflectIor = 0.0f;
    float transparencyCospower = 0.0f;
    float fogMultiplier = 0.0f;
    float displacementHeight = 0.0f;
    float diffuseMult = 1.0f;
    float specularMult = 0.0f;  // legacy
    float emissionMult = 0.0f;
    float transparencyMult = 0.0f;
    float reflectMult = 0.0f;
    float specGloss = 0.0f;  // legacy
    float reflGloss = 0.0f;
    float transpGloss = 0.0f;
    float bumpAmount = 0.0f;
    float bumpRadius = 1.0f;
    float bumpSigma = 1.5f;
    float translucencyMult = 0.0f;
    float roughnessMult = 0.0f;
    float reflectAnisotropy = 0.0f;
    float reflectRotation = 0.0f;
};

// One member of the cached state: its name, where the refresh reads it from
// (kLegacy: nowhere), and where it lives.
struct CachedMember {
    enum class Kind { Int, Bool, Color, Float };
    static constexpr ParamID kLegacy = -1;

    const char* name;
    Kind kind;
    ParamID source;
    int CachedState::*i = nullptr;
    Color CachedState::*c = nullptr;
    float CachedState::*f = nullptr;
};

namespace cached_members {
constexpr CachedMember Int(const char* n, ParamID s, int CachedState::*m) {
    return {n, CachedMember::Kind::Int, s, m, nullptr, nullptr};
}
constexpr CachedMember Bool(const char* n, ParamID s, int CachedState::*m) {
    return {n, CachedMember::Kind::Bool, s, m, nullptr, nullptr};
}
constexpr CachedMember Rgb(const char* n, ParamID s, Color CachedState::*m) {
    return {n, CachedMember::Kind::Color, s, nullptr, m, nullptr};
}
constexpr CachedMember Float(const char* n, ParamID s, float CachedState::*m) {
    return {n, CachedMember::Kind::Float, s, nullptr, nullptr, m};
}
}  // namespace cached_members

// Every member, in declaration order.
inline constexpr std::array<CachedMember, 55> kCachedMembers = [] {
    using namespace cached_members;
    using S = CachedState;
    constexpr ParamID legacy = CachedMember::kLegacy;
    return std::array<CachedMember, 55>{
        Int("specularBrdf", legacy, &S::specularBrdf),
        Int("reflectBrdf", mtl_reflect_brdf, &S::reflectBrdf),
        Int("specGlossOrCos", legacy, &S::specGlossOrCos),
        Int("reflGlossOrCos", mtl_refl_gloss_or_cos, &S::reflGlossOrCos),
        Int("transpGlossOrCos", mtl_transp_gloss_or_cos, &S::transpGlossOrCos),
        Int("reflectExtrusion", mtl_reflect_extrusion, &S::reflectExtrusion),
        Rgb("diffuseColor", mtl_diffuse_color, &S::diffuseColor),
        Rgb("specularColor", legacy, &S::specularColor),
        Rgb("reflectColor", mtl_reflect_color, &S::reflectColor),
        Rgb("emissionColor", mtl_emission_color, &S::emissionColor),
        Rgb("transparencyColor", mtl_transparency_color, &S::transparencyColor),
        Rgb("fogColor", mtl_fog_color, &S::fogColor),
        Rgb("exitColor", mtl_exit_color, &S::exitColor),
        Rgb("translucencyColor", mtl_translucency_color, &S::translucencyColor),
        Bool("displacementOn", mtl_displacement_on, &S::displacementOn),
        Bool("displacementInvertHeightOn", mtl_displacement_invert_height_on,
             &S::displacementInvertHeightOn),
        Bool("noIcRecords", mtl_no_ic_records, &S::noIcRecords),
        Bool("diffuseMultOn", mtl_diffuse_mult_on, &S::diffuseMultOn),
        Bool("specularMultOn", legacy, &S::specularMultOn),
        Bool("emissionMultOn", mtl_emission_mult_on, &S::emissionMultOn),
        Bool("transparencyMultOn", mtl_transparency_mult_on, &S::transparencyMultOn),
        Bool("reflectMultOn", mtl_reflect_mult_on, &S::reflectMultOn),
        Bool("transparencyThinOn", mtl_transparency_thin_on, &S::transparencyThinOn),
        Bool("translucencyMultOn", mtl_translucency_mult_on, &S::translucencyMultOn),
        Bool("affectShadow", mtl_affect_shadow, &S::affectShadow),
        Bool("specFresnelOn", legacy, &S::specFresnelOn),
        Bool("reflFresnelOn", mtl_refl_fresnel_on, &S::reflFresnelOn),
        Bool("lockSpecular", mtl_lock_specular, &S::lockSpecular),
        Bool("emissionGi", mtl_emission_gi, &S::emissionGi),
        Bool("opacitySmooth", mtl_opacity_smooth, &S::opacitySmooth),
        Float("specularRoughness", legacy, &S::specularRoughness),
        Float("reflectRoughness", mtl_reflect_roughness, &S::reflectRoughness),
        Float("reflectCospower", mtl_reflect_cospower, &S::reflectCospower),
        Float("specularCospower", legacy, &S::specularCospower),
        Float("ior", mtl_ior, &S::ior),
        Float("specularIor", legacy, &S::specularIor),
        Float("reflectIor", mtl_reflect_ior, &S::reflectIor),
        Float("transparencyCospower", mtl_transparency_cospower, &S::transparencyCospower),
        Float("fogMultiplier", mtl_fog_multiplier, &S::fogMultiplier),
        Float("displacementHeight", mtl_displacement_height, &S::displacementHeight),
        Float("diffuseMult", mtl_diffuse_mult, &S::diffuseMult),
        Float("specularMult", legacy, &S::specularMult),
        Float("emissionMult", mtl_emission_mult, &S::emissionMult),
        Float("transparencyMult", mtl_transparency_mult, &S::transparencyMult),
        Float("reflectMult", mtl_reflect_mult, &S::reflectMult),
        Float("specGloss", legacy, &S::specGloss),
        Float("reflGloss", mtl_refl_gloss, &S::reflGloss),
        Float("transpGloss", mtl_transp_gloss, &S::transpGloss),
        Float("bumpAmount", mtl_bump_amount, &S::bumpAmount),
        Float("bumpRadius", mtl_bump_radius, &S::bumpRadius),
        Float("bumpSigma", mtl_bump_sigma, &S::bumpSigma),
        Float("translucencyMult", mtl_translucency_mult, &S::translucencyMult),
        Float("roughnessMult", mtl_roughness_mult, &S::roughnessMult),
        Float("reflectAnisotropy", mtl_reflect_anisotropy, &S::reflectAnisotropy),
        Float("reflectRotation", mtl_reflect_rotation, &S::reflectRotation),
    };
}();
