// The material's thirteen texture-map slots. Slot i is at once reference i, sub-
// texture i and the value of one map parameter; reference 13 is the parameter block.
#pragma once

#include "material/param_ids.h"

#include <array>

enum MapSlot : int {
    kDiffuseMap = 0,
    kSpecularMap = 1,
    kReflectMap = 2,
    kEmissionMap = 3,
    kTransparencyMap = 4,
    kNormalMap = 5,
    kSpecGlossMap = 6,
    kReflGlossMap = 7,
    kTranspGlossMap = 8,
    kOpacityMap = 9,
    kTranslucencyMap = 10,
    kReflectAnisotropyMap = 11,
    kReflectRotationMap = 12,
};

constexpr int kNumMapSlots = 13;
constexpr int kParamBlockRef = 13;
constexpr int kNumRefs = 14;

// The map parameter of each slot.
constexpr std::array<ParamID, kNumMapSlots> kSlotParamIds = {
    mtl_diffuse_map,          mtl_specular_map, mtl_reflect_map,      mtl_emission_map,
    mtl_transparency_map,     mtl_normal_map,   mtl_spec_gl_map,      mtl_refl_gl_map,
    mtl_transp_gl_map,        mtl_opacity_map,  mtl_translucency_map, mtl_reflect_anisotropy_map,
    mtl_reflect_rotation_map,
};
