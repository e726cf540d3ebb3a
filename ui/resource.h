//{{NO_DEPENDENCIES}}
// Resource ids of LumraMtl.rc. The numbers are part of the plug-in's identity: the
// parameter block stores label ids, and scripts and saved scenes rely on them, so an
// id never changes meaning. Ids 5, 7, 17, 34, 37, 62 and 68 are unused.
#pragma once

// The library and its class.
#define IDS_LIBDESCRIPTION                   1
#define IDS_CATEGORY                         2
#define IDS_CLASS_NAME                       3
#define IDS_PARAMS                           4

// Parameter labels (also the map-slot names), combo items and string 74.
#define IDS_DIFFUSE_COLOR                    6
#define IDS_AFFECT_SHADOWS                   8
#define IDS_DIFFUSE_MAP                      9
#define IDS_DIFFUSE_COLOR_MULTIPLIER         10
#define IDS_SPECULAR_COLOR                   11
#define IDS_DEPRECATED_MAP1                  12
#define IDS_SPECULAR_BRDF                    13
#define IDS_BRDF_PHONG                       14
#define IDS_BRDF_TORRSPARR                   15
#define IDS_BRDF_BECKMANN                    16
#define IDS_SPECULAR_ROUGHNESS               18
#define IDS_TRANSPARENCY_MAP                 19
#define IDS_REFLECTIVITY_COLOR               20
#define IDS_REFLECTIVITY_MAP                 21
#define IDS_REFLECTIVITY_BRDF                22
#define IDS_REFLECTIVITY_COS_POWER           23
#define IDS_EMISSION_COLOR                   24
#define IDS_EMISSION_MAP                     25
#define IDS_TRANSPARENCY_COLOR               26
#define IDS_IOR                              27
#define IDS_TRANSPARENCY_COS_POWER           28
#define IDS_FOG_COLOR                        29
#define IDS_FOG_MULTIPLIER                   30
#define IDS_EXIT_COLOR                       31
#define IDS_DISPLACEMENT_STATE               32
#define IDS_HEIGHT                           33
#define IDS_SPECULAR_IOR                     35
#define IDS_NORMAL_MAP                       36
#define IDS_REFLECTIVITY_IOR                 38
#define IDS_DISPLACEMENT_INVERT_HEIGHT_STATE 39
#define IDS_SPECULAR_COLOR_MULTIPLIER        40
#define IDS_TRANSPARENCY_COLOR_MULTIPLIER    41
#define IDS_REFLECT_COLOR_MULTIPLIER         42
#define IDS_EMISSION_COLOR_MULTIPLIER        43
#define IDS_THIN_TRANSPARENCY                44
#define IDS_REFLECTIVITY_ROUGHNESS           45
#define IDS_BRDF_GGX                         46
#define IDS_BRDF_TRGGX                       47
#define IDS_SPECULAR_COS_POWER               48
#define IDS_NO_IC_RECORDS                    49
#define IDS_SPECULAR_GLOSSINESS              50
#define IDS_DEPRECATED_MAP2                  51
#define IDS_SPECULAR_GLOSS_OR_COS            52
#define IDS_LOCK_SPECULAR_TO_REFLECTION      53
#define IDS_SPECULAR_FRESNEL_ON              54
#define IDS_REFLECT_GLOSSINESS               55
#define IDS_REFLECT_GLOSSINESS_MAP           56
#define IDS_REFLECT_GLOSS_OR_COS             57
#define IDS_BUMP_AMOUNT                      58
#define IDS_REFLECT_FRESNEL_ON               59
#define IDS_TRANSP_GLOSSINESS                60
#define IDS_TRANSP_GLOSSINESS_MAP            61
#define IDS_TRANSP_GLOSS_OR_COS              63
#define IDS_BUMP_RADIUS                      64
#define IDS_BUMP_SIGMA                       65
#define IDS_EMISSION_GI                      66
#define IDS_OPACITY_MAP                      67
#define IDS_OPACITY_SMOOTH                   69
#define IDS_TRANSLUCENCY_COLOR_MULTIPLIER    70
#define IDS_TRANSLUCENCY_COLOR               71
#define IDS_TRANSLUCENCY_MAP                 72
#define IDS_REFLECT_EXTRUSION                73
#define IDS_EXTRUSION_COMPONENT              74
#define IDS_EXTRUSION_LUMINANCE              75
#define IDS_EXTRUSION_STRONG                 76
#define IDS_DIFFUSE_ROUGHNESS                77
#define IDS_REFLECTIVITY_ANISOTROPY          78
#define IDS_REFLECTIVITY_ROTATION            79
#define IDS_REFLECTIVITY_ANISOTROPY_MAP      80
#define IDS_REFLECTIVITY_ROTATION_MAP        81
#define IDS_TRANSLUCENCY_COLOR_MULT_ON       82

// Next default values for new objects
#ifdef APSTUDIO_INVOKED
#ifndef APSTUDIO_READONLY_SYMBOLS
#define _APS_NEXT_RESOURCE_VALUE 101
#define _APS_NEXT_COMMAND_VALUE 40001
#define _APS_NEXT_CONTROL_VALUE 1114
#define _APS_NEXT_SYMED_VALUE 83
#endif
#endif

// Dialog templates.
#define IDD_LUMRA_PARAMS 82
