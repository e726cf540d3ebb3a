// The material's 68 parameters as one constant table: identifiers, internal names,
// types, flags, labels, defaults, ranges and panel controls. The parameter block's
// declaration to the host is produced from it (param_block_declaration.h), and
// everything else that needs a parameter's facts reads them here.
#pragma once

#include "material/param_ids.h"
#include "ui/resource.h"

#include "color.h"
#include "iparamb2.h"

#include <array>
#include <cstddef>

enum class ParamControl { CheckBox, Swatch, Spinner, MapButton, Radio, Combo };

struct ParamSpec {
    ParamID id;
    const MCHAR* name;
    ParamType2 type;
    int flags;
    int label;  // string id of the parameter's local name
    ParamControl control;
    int ctrl[2];  // control ids: check box, swatch or map button; edit and spinner; radio pair
    float scale;  // spinner scale
    float defFloat;
    int defInt;
    Color defColor;
    bool hasRange;
    float low, high;
    int slot;      // map slot of a map parameter, else -1
    int items[5];  // combo items' string ids
    int itemCount;
};

namespace param_rows {

constexpr ParamSpec Base(ParamID id, const MCHAR* name, ParamType2 type, int flags, int label,
                         ParamControl control) {
    return ParamSpec{id, name,           type,  flags, label, control, {0, 0},          0.0f, 0.0f,
                     0,  Color(0, 0, 0), false, 0.0f,  0.0f,  -1,      {0, 0, 0, 0, 0}, 0};
}

// A switch shown as a check box; not animatable.
constexpr ParamSpec Switch(ParamID id, const MCHAR* name, int label, bool def, int checkBox) {
    ParamSpec p = Base(id, name, TYPE_BOOL, 0, label, ParamControl::CheckBox);
    p.defInt = def ? 1 : 0;
    p.ctrl[0] = checkBox;
    return p;
}

// An animatable colour shown as a swatch.
constexpr ParamSpec Rgb(ParamID id, const MCHAR* name, int label, Color def, int swatch) {
    ParamSpec p = Base(id, name, TYPE_RGBA, P_ANIMATABLE, label, ParamControl::Swatch);
    p.defColor = def;
    p.ctrl[0] = swatch;
    return p;
}

// An animatable float with its range, shown as an edit box with a spinner.
constexpr ParamSpec Float(ParamID id, const MCHAR* name, int label, float def, float low,
                          float high, int edit, int spinner, float scale) {
    ParamSpec p = Base(id, name, TYPE_FLOAT, P_ANIMATABLE, label, ParamControl::Spinner);
    p.defFloat = def;
    p.hasRange = true;
    p.low = low;
    p.high = high;
    p.ctrl[0] = edit;
    p.ctrl[1] = spinner;
    p.scale = scale;
    return p;
}

// A texture map held by the material itself, as reference and sub-texture `slot`.
constexpr ParamSpec Map(ParamID id, const MCHAR* name, int label, int slot, int button) {
    ParamSpec p = Base(id, name, TYPE_TEXMAP, P_OWNERS_REF, label, ParamControl::MapButton);
    p.slot = slot;
    p.ctrl[0] = button;
    return p;
}

// A two-way choice shown as a pair of radio buttons; not animatable.
constexpr ParamSpec Radio(ParamID id, const MCHAR* name, int label, int def, int first,
                          int second) {
    ParamSpec p = Base(id, name, TYPE_INT, 0, label, ParamControl::Radio);
    p.defInt = def;
    p.ctrl[0] = first;
    p.ctrl[1] = second;
    return p;
}

// A choice from a list, stored as the item's index; animatable, and reset to its
// default with the block.
template <std::size_t N>
constexpr ParamSpec Combo(ParamID id, const MCHAR* name, int label, int def, int combo,
                          const int (&items)[N]) {
    ParamSpec p =
        Base(id, name, TYPE_INT, P_ANIMATABLE | P_RESET_DEFAULT, label, ParamControl::Combo);
    p.defInt = def;
    p.ctrl[0] = combo;
    for (std::size_t k = 0; k < N; ++k) p.items[k] = items[k];
    p.itemCount = static_cast<int>(N);
    return p;
}

constexpr int kBrdfItems[] = {IDS_BRDF_PHONG, IDS_BRDF_TORRSPARR, IDS_BRDF_BECKMANN, IDS_BRDF_GGX,
                              IDS_BRDF_TRGGX};
constexpr int kExtrusionItems[] = {IDS_EXTRUSION_STRONG, IDS_EXTRUSION_LUMINANCE};
constexpr Color kWhite(1.0f, 1.0f, 1.0f);

}  // namespace param_rows

// In declaration order, which is the block's index order.
inline constexpr std::array<ParamSpec, 68> kParamTable = [] {
    using namespace param_rows;
    // clang-format off
    return std::array<ParamSpec, 68>{
        Switch(mtl_affect_shadow, L"mtl_affect_shadow", IDS_AFFECT_SHADOWS, true, 1111),
        Rgb(mtl_diffuse_color, L"mtl_diffuse_color", IDS_DIFFUSE_COLOR, Color(0.8f, 0.8f, 0.8f), 1002),
        Map(mtl_diffuse_map, L"mtl_diffuse_map", IDS_DIFFUSE_MAP, 0, 1003),
        Switch(mtl_diffuse_mult_on, L"mtl_diffuse_mult_on", IDS_DIFFUSE_COLOR_MULTIPLIER, false, 1041),
        Float(mtl_diffuse_mult, L"mtl_diffuse_mult", IDS_DIFFUSE_COLOR_MULTIPLIER, 1.0f, 0.0f, 100.0f, 1042, 1043, 0.1f),
        Float(mtl_roughness_mult, L"mtl_roughness_mult", IDS_DIFFUSE_ROUGHNESS, 0.0f, 0.0f, 1.0f, 1095, 1097, 0.1f),
        Rgb(mtl_specular_color, L"mtl_specular_color", IDS_SPECULAR_COLOR, kWhite, 1004),
        Map(mtl_specular_map, L"mtl_specular_map", IDS_DEPRECATED_MAP1, 1, 1005),
        Switch(mtl_specular_mult_on, L"mtl_specular_mult_on", IDS_SPECULAR_COLOR_MULTIPLIER, false, 1044),
        Float(mtl_specular_mult, L"mtl_specular_mult", IDS_SPECULAR_COLOR_MULTIPLIER, 0.0f, 0.0f, 100.0f, 1046, 1048, 0.1f),
        Combo(mtl_specular_brdf, L"mtl_specular_brdf", IDS_SPECULAR_BRDF, kBrdfGgx, 1006, kBrdfItems),
        Float(mtl_specular_roughness, L"mtl_specular_roughness", IDS_SPECULAR_ROUGHNESS, 1.0f, 0.0f, 1.0f, 1008, 1010, 0.1f),
        Float(mtl_specular_cospower, L"mtl_specular_cospower", IDS_SPECULAR_COS_POWER, 256.0f, 1.0f, 1000000.0f, 1052, 1060, 0.1f),
        Float(mtl_specular_ior, L"mtl_specular_ior", IDS_SPECULAR_IOR, 1.0f, 0.0f, 100.0f, 1033, 1036, 0.1f),
        Rgb(mtl_reflect_color, L"mtl_reflect_color", IDS_REFLECTIVITY_COLOR, kWhite, 1011),
        Map(mtl_reflect_map, L"mtl_reflect_map", IDS_REFLECTIVITY_MAP, 2, 1012),
        Switch(mtl_reflect_mult_on, L"mtl_reflect_mult_on", IDS_REFLECT_COLOR_MULTIPLIER, false, 1053),
        Float(mtl_reflect_mult, L"mtl_reflect_mult", IDS_REFLECT_COLOR_MULTIPLIER, 0.0f, 0.0f, 100.0f, 1054, 1055, 0.1f),
        Combo(mtl_reflect_brdf, L"mtl_reflect_brdf", IDS_REFLECTIVITY_BRDF, kBrdfGgx, 1013, kBrdfItems),
        Float(mtl_reflect_cospower, L"mtl_reflect_cospower", IDS_REFLECTIVITY_COS_POWER, 256.0f, 1.0f, 1000000.0f, 1014, 1015, 0.1f),
        Float(mtl_reflect_roughness, L"mtl_reflect_roughness", IDS_REFLECTIVITY_ROUGHNESS, 1.0f, 0.0f, 1.0f, 1038, 1049, 0.1f),
        Float(mtl_reflect_ior, L"mtl_reflect_ior", IDS_REFLECTIVITY_IOR, 1.5f, 0.0f, 100.0f, 1061, 1062, 0.1f),
        Rgb(mtl_emission_color, L"mtl_emission_color", IDS_EMISSION_COLOR, kWhite, 1016),
        Map(mtl_emission_map, L"mtl_emission_map", IDS_EMISSION_MAP, 3, 1017),
        Switch(mtl_emission_mult_on, L"mtl_emission_mult_on", IDS_EMISSION_COLOR_MULTIPLIER, false, 1040),
        Float(mtl_emission_mult, L"mtl_emission_mult", IDS_EMISSION_COLOR_MULTIPLIER, 0.0f, 0.0f, 100.0f, 1028, 1039, 0.1f),
        Rgb(mtl_transparency_color, L"mtl_transparency_color", IDS_TRANSPARENCY_COLOR, kWhite, 1018),
        Map(mtl_transparency_map, L"mtl_transparency_map", IDS_TRANSPARENCY_MAP, 4, 1025),
        Switch(mtl_transparency_mult_on, L"mtl_transparency_mult_on", IDS_TRANSPARENCY_COLOR_MULTIPLIER, false, 1056),
        Float(mtl_transparency_mult, L"mtl_transparency_mult", IDS_TRANSPARENCY_COLOR_MULTIPLIER, 0.0f, 0.0f, 100.0f, 1057, 1058, 0.1f),
        Float(mtl_ior, L"mtl_ior", IDS_IOR, 1.5f, 0.0f, 100.0f, 1019, 1020, 0.1f),
        Float(mtl_transparency_cospower, L"mtl_transparency_cospower", IDS_TRANSPARENCY_COS_POWER, 256.0f, 1.0f, 1000000.0f, 1021, 1022, 0.1f),
        Switch(mtl_transparency_thin_on, L"mtl_transparency_thin_on", IDS_THIN_TRANSPARENCY, false, 1059),
        Rgb(mtl_fog_color, L"mtl_fog_color", IDS_FOG_COLOR, kWhite, 1023),
        Float(mtl_fog_multiplier, L"mtl_fog_multiplier", IDS_FOG_MULTIPLIER, 0.0f, 0.0f, 1000.0f, 1026, 1027, 1.0f),
        Rgb(mtl_exit_color, L"mtl_exit_color", IDS_EXIT_COLOR, kWhite, 1029),
        Switch(mtl_displacement_on, L"mtl_displacement_on", IDS_DISPLACEMENT_STATE, false, 1024),
        Float(mtl_displacement_height, L"mtl_displacement_height", IDS_HEIGHT, 0.5f, 0.0f, 100.0f, 1030, 1031, 0.1f),
        Map(mtl_normal_map, L"mtl_normal_map", IDS_NORMAL_MAP, 5, 1034),
        Switch(mtl_displacement_invert_height_on, L"mtl_displacement_invert_height_on", IDS_DISPLACEMENT_INVERT_HEIGHT_STATE, false, 1037),
        Switch(mtl_no_ic_records, L"mtl_no_ic_records", IDS_NO_IC_RECORDS, false, 1064),
        Float(mtl_spec_gloss, L"mtl_spec_gloss", IDS_SPECULAR_GLOSSINESS, 1.0f, 0.0f, 1.0f, 1068, 1069, 0.01f),
        Map(mtl_spec_gl_map, L"mtl_spec_gl_map", IDS_DEPRECATED_MAP2, 6, 1063),
        Radio(mtl_spec_gloss_or_cos, L"mtl_spec_gloss_or_cos", IDS_SPECULAR_GLOSS_OR_COS, 0, 1065, 1067),
        Switch(mtl_spec_fresnel_on, L"mtl_spec_fresnel_on", IDS_SPECULAR_FRESNEL_ON, true, 1070),
        Float(mtl_refl_gloss, L"mtl_refl_gloss", IDS_REFLECT_GLOSSINESS, 1.0f, 0.0f, 10.0f, 1072, 1073, 0.01f),
        Map(mtl_refl_gl_map, L"mtl_refl_gl_map", IDS_REFLECT_GLOSSINESS_MAP, 7, 1066),
        Radio(mtl_refl_gloss_or_cos, L"mtl_refl_gloss_or_cos", IDS_REFLECT_GLOSS_OR_COS, 0, 1071, 1074),
        Switch(mtl_refl_fresnel_on, L"mtl_refl_fresnel_on,", IDS_REFLECT_FRESNEL_ON, true, 1076),
        Float(mtl_transp_gloss, L"mtl_transp_gloss", IDS_TRANSP_GLOSSINESS, 1.0f, 0.0f, 10.0f, 1077, 1078, 0.01f),
        Map(mtl_transp_gl_map, L"mtl_transp_gl_map", IDS_TRANSP_GLOSSINESS_MAP, 8, 1079),
        Radio(mtl_transp_gloss_or_cos, L"mtl_transp_gloss_or_cos", IDS_TRANSP_GLOSS_OR_COS, 0, 1075, 1080),
        Switch(mtl_lock_specular, L"mtl_lock_specular,", IDS_LOCK_SPECULAR_TO_REFLECTION, true, 1081),
        Float(mtl_bump_amount, L"mtl_bump_amount", IDS_BUMP_AMOUNT, 0.2f, 0.0f, 5.0f, 1051, 1082, 0.1f),
        Float(mtl_bump_radius, L"mtl_bump_radius", IDS_BUMP_RADIUS, 0.25f, 0.0f, 1.0f, 1083, 1084, 0.1f),
        Float(mtl_bump_sigma, L"mtl_bump_sigma", IDS_BUMP_SIGMA, 1.5f, 1.0f, 16.0f, 1085, 1086, 0.5f),
        Switch(mtl_emission_gi, L"mtl_emission_gi", IDS_EMISSION_GI, true, 1087),
        Map(mtl_opacity_map, L"mtl_opacity_map", IDS_OPACITY_MAP, 9, 1088),
        Switch(mtl_opacity_smooth, L"mtl_opacity_smooth", IDS_OPACITY_SMOOTH, false, 1113),
        Rgb(mtl_translucency_color, L"mtl_translucency_color", IDS_TRANSLUCENCY_COLOR, kWhite, 1091),
        Float(mtl_translucency_mult, L"mtl_translucency_mult", IDS_TRANSLUCENCY_COLOR_MULTIPLIER, 0.0f, 0.0f, 100.0f, 1089, 1090, 0.1f),
        Map(mtl_translucency_map, L"mtl_translucency_map", IDS_TRANSLUCENCY_MAP, 10, 1092),
        Switch(mtl_translucency_mult_on, L"mtl_translucency_mult_on", IDS_TRANSLUCENCY_COLOR_MULT_ON, false, 1093),
        Combo(mtl_reflect_extrusion, L"mtl_reflect_extrusion", IDS_REFLECT_EXTRUSION, kExtrusionStrongest, 1094, kExtrusionItems),
        Float(mtl_reflect_anisotropy, L"mtl_reflect_anisotropy", IDS_REFLECTIVITY_ANISOTROPY, 0.0f, 0.0f, 1.0f, 1102, 1103, 0.1f),
        Float(mtl_reflect_rotation, L"mtl_reflect_rotation", IDS_REFLECTIVITY_ROTATION, 0.0f, 0.0f, 360.0f, 1101, 1104, 5.0f),
        Map(mtl_reflect_anisotropy_map, L"mtl_reflect_anisotropy_map", IDS_REFLECTIVITY_ANISOTROPY_MAP, 11, 1105),
        Map(mtl_reflect_rotation_map, L"mtl_reflect_rotation_map", IDS_REFLECTIVITY_ROTATION_MAP, 12, 1106),
    };
    // clang-format on
}();

// The table's row for a parameter id, or null.
constexpr const ParamSpec* FindParamSpec(ParamID id) {
    for (const ParamSpec& p : kParamTable) {
        if (p.id == id) return &p;
    }
    return nullptr;
}
