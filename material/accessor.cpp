// The renderer's view of the material: each getter reads the parameter block at
// time 0, or a map slot, with no conversion.
#include "material/lumra_mtl.h"

namespace {
constexpr TimeValue kReadTime = 0;
}

Texmap* LumraMtl::GetDiffuseMap() { return texmaps[kDiffuseMap]; }
float LumraMtl::GetDiffuseMult() { return pblock->GetFloat(mtl_diffuse_mult, kReadTime, 0); }
Color LumraMtl::GetDiffuseColor() { return pblock->GetColor(mtl_diffuse_color, kReadTime, 0); }
bool LumraMtl::GetDiffuseMultOn() { return pblock->GetInt(mtl_diffuse_mult_on, kReadTime, 0) != 0; }
float LumraMtl::GetRoughnessMult() { return pblock->GetFloat(mtl_roughness_mult, kReadTime, 0); }
Texmap* LumraMtl::GetReflectMap() { return texmaps[kReflectMap]; }
Texmap* LumraMtl::GetReflectGlossMap() { return texmaps[kReflGlossMap]; }
Texmap* LumraMtl::GetReflectAnisotropyMap() { return texmaps[kReflectAnisotropyMap]; }
Texmap* LumraMtl::GetReflectRotationMap() { return texmaps[kReflectRotationMap]; }
float LumraMtl::GetReflectMult() { return pblock->GetFloat(mtl_reflect_mult, kReadTime, 0); }
Color LumraMtl::GetReflectColor() { return pblock->GetColor(mtl_reflect_color, kReadTime, 0); }
bool LumraMtl::GetReflectMultOn() { return pblock->GetInt(mtl_reflect_mult_on, kReadTime, 0) != 0; }
float LumraMtl::GetReflectGloss() { return pblock->GetFloat(mtl_refl_gloss, kReadTime, 0); }
int LumraMtl::GetReflectBrdf() { return pblock->GetInt(mtl_reflect_brdf, kReadTime, 0); }
float LumraMtl::GetReflectIor() { return pblock->GetFloat(mtl_reflect_ior, kReadTime, 0); }
bool LumraMtl::GetReflectFresnelOn() {
    return pblock->GetInt(mtl_refl_fresnel_on, kReadTime, 0) != 0;
}
int LumraMtl::GetReflectExtrusion() { return pblock->GetInt(mtl_reflect_extrusion, kReadTime, 0); }
float LumraMtl::GetReflectAnisotropy() {
    return pblock->GetFloat(mtl_reflect_anisotropy, kReadTime, 0);
}
float LumraMtl::GetReflectRotation() {
    return pblock->GetFloat(mtl_reflect_rotation, kReadTime, 0);
}
Texmap* LumraMtl::GetTransparencyMap() { return texmaps[kTransparencyMap]; }
Texmap* LumraMtl::GetTransparencyGlossMap() { return texmaps[kTranspGlossMap]; }
float LumraMtl::GetTransparencyMult() {
    return pblock->GetFloat(mtl_transparency_mult, kReadTime, 0);
}
Color LumraMtl::GetTransparencyColor() {
    return pblock->GetColor(mtl_transparency_color, kReadTime, 0);
}
bool LumraMtl::GetTransparencyMultOn() {
    return pblock->GetInt(mtl_transparency_mult_on, kReadTime, 0) != 0;
}
float LumraMtl::GetTransparencyGloss() { return pblock->GetFloat(mtl_transp_gloss, kReadTime, 0); }
float LumraMtl::GetIor() { return pblock->GetFloat(mtl_ior, kReadTime, 0); }
float LumraMtl::GetFogMultiplier() { return pblock->GetFloat(mtl_fog_multiplier, kReadTime, 0); }
Color LumraMtl::GetFogColor() { return pblock->GetColor(mtl_fog_color, kReadTime, 0); }
bool LumraMtl::GetTransparencyThinOn() {
    return pblock->GetInt(mtl_transparency_thin_on, kReadTime, 0) != 0;
}
Texmap* LumraMtl::GetOpacityMap() { return texmaps[kOpacityMap]; }
bool LumraMtl::GetAffectShadow() { return pblock->GetInt(mtl_affect_shadow, kReadTime, 0) != 0; }
bool LumraMtl::GetOpacitySmooth() { return pblock->GetInt(mtl_opacity_smooth, kReadTime, 0) != 0; }
bool LumraMtl::HasOpacityMap() { return GetOpacityMap() != nullptr; }
Texmap* LumraMtl::GetEmissionMap() { return texmaps[kEmissionMap]; }
float LumraMtl::GetEmissionMult() { return pblock->GetFloat(mtl_emission_mult, kReadTime, 0); }
Color LumraMtl::GetEmissionColor() { return pblock->GetColor(mtl_emission_color, kReadTime, 0); }
bool LumraMtl::GetEmissionMultOn() {
    return pblock->GetInt(mtl_emission_mult_on, kReadTime, 0) != 0;
}
bool LumraMtl::GetEmissionGi() { return pblock->GetInt(mtl_emission_gi, kReadTime, 0) != 0; }
Texmap* LumraMtl::GetTranslucencyMap() { return texmaps[kTranslucencyMap]; }
float LumraMtl::GetTranslucencyMult() {
    return pblock->GetFloat(mtl_translucency_mult, kReadTime, 0);
}
Color LumraMtl::GetTranslucencyColor() {
    return pblock->GetColor(mtl_translucency_color, kReadTime, 0);
}
bool LumraMtl::GetTranslucencyMultOn() {
    return pblock->GetInt(mtl_translucency_mult_on, kReadTime, 0) != 0;
}
Texmap* LumraMtl::GetNormalMap() { return texmaps[kNormalMap]; }
float LumraMtl::GetBumpAmount() { return pblock->GetFloat(mtl_bump_amount, kReadTime, 0); }
float LumraMtl::GetBumpRadius() { return pblock->GetFloat(mtl_bump_radius, kReadTime, 0); }
