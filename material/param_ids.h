// Parameter identifiers of the material's parameter block.
//
// These numbers are stored in scene files and used by scripts and the renderer:
// they never change, and a retired parameter keeps its number.
#pragma once

#include "animtbl.h"

enum LumraParamId : ParamID {
    mtl_affect_shadow = 2,
    mtl_diffuse_color = 3,
    mtl_diffuse_map = 4,
    mtl_diffuse_mult_on = 5,
    mtl_diffuse_mult = 6,
    mtl_specular_color = 7,
    mtl_specular_map = 8,
    mtl_specular_mult_on = 9,
    mtl_specular_mult = 10,
    mtl_specular_brdf = 11,
    mtl_specular_roughness = 12,
    mtl_specular_cospower = 13,
    mtl_specular_ior = 14,
    mtl_reflect_color = 15,
    mtl_reflect_map = 16,
    mtl_reflect_mult_on = 17,
    mtl_reflect_mult = 18,
    mtl_reflect_brdf = 19,
    mtl_reflect_cospower = 20,
    mtl_reflect_roughness = 21,
    mtl_reflect_ior = 22,
    mtl_emission_color = 23,
    mtl_emission_map = 24,
    mtl_emission_mult_on = 25,
    mtl_emission_mult = 26,
    mtl_transparency_color = 27,
    mtl_transparency_map = 28,
    mtl_transparency_mult_on = 29,
    mtl_transparency_mult = 30,
    mtl_transparency_thin_on = 31,
    mtl_ior = 32,
    mtl_transparency_cospower = 33,
    mtl_fog_color = 34,
    mtl_fog_multiplier = 35,
    mtl_exit_color = 36,
    mtl_displacement_on = 37,
    mtl_displacement_height = 38,
    mtl_normal_map = 39,
    mtl_displacement_invert_height_on = 40,
    mtl_no_ic_records = 41,
    mtl_spec_gloss = 42,
    mtl_spec_gl_map = 43,
    mtl_spec_gloss_or_cos = 44,
    mtl_spec_fresnel_on = 45,
    mtl_refl_gloss = 46,
    mtl_refl_gl_map = 47,
    mtl_refl_gloss_or_cos = 48,
    mtl_refl_fresnel_on = 49,  // scripts know it as "mtl_refl_fresnel_on,"
    mtl_transp_gloss = 50,
    mtl_transp_gl_map = 51,
    mtl_transp_gloss_or_cos = 52,
    mtl_lock_specular = 53,  // scripts know it as "mtl_lock_specular,"
    mtl_bump_amount = 54,
    mtl_bump_radius = 55,
    mtl_bump_sigma = 56,
    mtl_emission_gi = 57,
    mtl_opacity_map = 58,
    mtl_opacity_smooth = 59,
    mtl_translucency_color = 60,
    mtl_translucency_mult = 61,
    mtl_translucency_map = 62,
    mtl_translucency_mult_on = 63,
    mtl_reflect_extrusion = 64,
    mtl_roughness_mult = 65,
    mtl_reflect_anisotropy = 66,
    mtl_reflect_rotation = 67,
    mtl_reflect_anisotropy_map = 68,
    mtl_reflect_rotation_map = 69,
};

// The block's id within the material, and its reference number there.
constexpr BlockID kLumraParamBlockId = 0;

// Choices of the reflectance-model combo boxes.
enum ReflectanceModel : int {
    kBrdfPhong = 0,
    kBrdfTorrSparr = 1,
    kBrdfBeckmann = 2,
    kBrdfGgx = 3,
    kBrdfTrggx = 4,
};

// Choices of the reflection-extrusion combo box.
enum ReflectExtrusion : int {
    kExtrusionStrongest = 0,
    kExtrusionLuminance = 1,
};
