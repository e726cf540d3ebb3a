// The studio that sample slots reflect: a latitude-longitude HDR picture made
// by make_environment and installed as pluginFiles/material/EnvMatEdit.hdr.
#pragma once

#include <vector>

inline constexpr int kStudioWidth = 512;
inline constexpr int kStudioHeight = 256;

// Linear RGB, three floats a pixel, rows from the zenith down, in the layout of
// host/core/latlong.h. The set is described in the .cpp.
std::vector<float> MakeStudioEnvironment(int width, int height);
