//{{NO_DEPENDENCIES}}
// clang-format off
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
// Not used by the code: an earlier, column-wise layout of the same controls.
#define IDD_LUMRA_PARAMS_COLUMNS 84

// Controls of the panel. Each parameter's edit box and spinner, swatch, check box,
// combo box or map button, as the parameter block's declaration binds them.
#define IDC_DIFFUSE_COLOR             1002
#define IDC_DIFFUSE_MAP               1003
#define IDC_SPECULAR_COLOR            1004
#define IDC_SPECULAR_MAP              1005
#define IDC_SPECULAR_BRDF             1006
#define IDC_SPECULAR_ROUGHNESS_EDIT   1008
#define IDC_SPECULAR_ROUGHNESS_SPIN   1010
#define IDC_REFLECT_COLOR             1011
#define IDC_REFLECT_MAP               1012
#define IDC_REFLECT_BRDF              1013
#define IDC_REFLECT_COSPOWER_EDIT     1014
#define IDC_REFLECT_COSPOWER_SPIN     1015
#define IDC_EMISSION_COLOR            1016
#define IDC_EMISSION_MAP              1017
#define IDC_TRANSPARENCY_COLOR        1018
#define IDC_IOR_EDIT                  1019
#define IDC_IOR_SPIN                  1020
#define IDC_TRANSPARENCY_COSPOWER_EDIT 1021
#define IDC_TRANSPARENCY_COSPOWER_SPIN 1022
#define IDC_FOG_COLOR                 1023
#define IDC_DISPLACEMENT_ON           1024
#define IDC_TRANSPARENCY_MAP          1025
#define IDC_FOG_MULTIPLIER_EDIT       1026
#define IDC_FOG_MULTIPLIER_SPIN       1027
#define IDC_EMISSION_MULT_EDIT        1028
#define IDC_EXIT_COLOR                1029
#define IDC_DISPLACEMENT_HEIGHT_EDIT  1030
#define IDC_DISPLACEMENT_HEIGHT_SPIN  1031
#define IDC_SPECULAR_IOR_EDIT         1033
#define IDC_NORMAL_MAP                1034
#define IDC_SPECULAR_IOR_SPIN         1036
#define IDC_DISPLACEMENT_INVERT_HEIGHT_ON 1037
#define IDC_REFLECT_ROUGHNESS_EDIT    1038
#define IDC_EMISSION_MULT_SPIN        1039
#define IDC_EMISSION_MULT_ON          1040
#define IDC_DIFFUSE_MULT_ON           1041
#define IDC_DIFFUSE_MULT_EDIT         1042
#define IDC_DIFFUSE_MULT_SPIN         1043
#define IDC_SPECULAR_MULT_ON          1044
#define IDC_BLEND_EDIT                1045
#define IDC_SPECULAR_MULT_EDIT        1046
#define IDC_BLEND_SPIN                1047
#define IDC_SPECULAR_MULT_SPIN        1048
#define IDC_REFLECT_ROUGHNESS_SPIN    1049
#define IDC_BUMP_AMOUNT_EDIT          1051
#define IDC_SPECULAR_COSPOWER_EDIT    1052
#define IDC_REFLECT_MULT_ON           1053
#define IDC_REFLECT_MULT_EDIT         1054
#define IDC_REFLECT_MULT_SPIN         1055
#define IDC_TRANSPARENCY_MULT_ON      1056
#define IDC_TRANSPARENCY_MULT_EDIT    1057
#define IDC_TRANSPARENCY_MULT_SPIN    1058
#define IDC_TRANSPARENCY_THIN_ON      1059
#define IDC_SPECULAR_COSPOWER_SPIN    1060
#define IDC_REFLECT_IOR_EDIT          1061
#define IDC_REFLECT_IOR_SPIN          1062
#define IDC_SPEC_GL_MAP               1063
#define IDC_NO_IC_RECORDS             1064
#define IDC_SPEC_GLOSS_RADIO          1065
#define IDC_REFL_GL_MAP               1066
#define IDC_SPEC_COS_RADIO            1067
#define IDC_SPEC_GLOSS_EDIT           1068
#define IDC_SPEC_GLOSS_SPIN           1069
#define IDC_SPEC_FRESNEL_ON           1070
#define IDC_REFL_GLOSS_RADIO          1071
#define IDC_REFL_GLOSS_EDIT           1072
#define IDC_REFL_GLOSS_SPIN           1073
#define IDC_REFL_COS_RADIO            1074
#define IDC_TRANSP_GLOSS_RADIO        1075
#define IDC_REFL_FRESNEL_ON           1076
#define IDC_TRANSP_GLOSS_EDIT         1077
#define IDC_TRANSP_GLOSS_SPIN         1078
#define IDC_TRANSP_GL_MAP             1079
#define IDC_TRANSP_COS_RADIO          1080
#define IDC_LOCK_SPECULAR             1081
#define IDC_BUMP_AMOUNT_SPIN          1082
#define IDC_BUMP_RADIUS_EDIT          1083
#define IDC_BUMP_RADIUS_SPIN          1084
#define IDC_BUMP_SIGMA_EDIT           1085
#define IDC_BUMP_SIGMA_SPIN           1086
#define IDC_EMISSION_GI               1087
#define IDC_OPACITY_MAP               1088
#define IDC_TRANSLUCENCY_MULT_EDIT    1089
#define IDC_TRANSLUCENCY_MULT_SPIN    1090
#define IDC_TRANSLUCENCY_COLOR        1091
#define IDC_TRANSLUCENCY_MAP          1092
#define IDC_TRANSLUCENCY_MULT_ON      1093
#define IDC_REFLECT_EXTRUSION         1094
#define IDC_ROUGHNESS_MULT_EDIT       1095
#define IDC_ROUGHNESS_MULT_SPIN       1097
#define IDC_ROTATION_LABEL            1099
#define IDC_ANISOTROPY_LABEL          1100
#define IDC_REFLECT_ROTATION_EDIT     1101
#define IDC_REFLECT_ANISOTROPY_EDIT   1102
#define IDC_REFLECT_ANISOTROPY_SPIN   1103
#define IDC_REFLECT_ROTATION_SPIN     1104
#define IDC_REFLECT_ANISOTROPY_MAP    1105
#define IDC_REFLECT_ROTATION_MAP      1106
#define IDC_AFFECT_SHADOW             1111
#define IDC_OPACITY_SMOOTH            1113
