// Parameters as text: reading "NAME=VALUE" settings the way a script sets a
// parameter by its internal name, and writing values, types and ranges.
#pragma once

#include "iparamb2.h"

#include <string>

struct Setting {
    std::string name;
    std::string value;
};

// Splits "NAME=VALUE"; false (with the reason) when there is no name or no '='.
bool ParseSetting(const std::string& text, Setting* setting, std::string* error);

// Sets one parameter of the block at time t. Colours are "r,g,b"; switches
// true/false/1/0; list choices by item text (any letter case) or index. A value
// outside the parameter's range is kept within it, as the host does, and a warning
// says so. Maps cannot be set this way. False with the reason when nothing was set.
bool ApplySetting(IParamBlock2* block, ClassDesc* cd, const Setting& setting, TimeValue t,
                  std::string* error, std::string* warning);

// Puts a bitmap texture of the image file in a map parameter, by the parameter's
// internal name ("NAME=FILE"); the texture is named after the file. "NAME=normal:FILE"
// wraps the picture, a tangent-space normal map, in a Normal Bump map. False with
// the reason when the name is unknown or not a map.
bool ApplyMapSetting(IParamBlock2* block, const Setting& setting, TimeValue t, std::string* error);

// A map as text: its name and class, e.g. "oak" (Bitmap), or none.
std::string FormatMap(Texmap* map);

// The parameter's value at time t as text; list choices as "3 (GGX)", maps by name.
std::string FormatParamValue(IParamBlock2* block, ClassDesc* cd, const ParamDef& def, TimeValue t);
std::string FormatParamType(const ParamDef& def);
std::string FormatParamRange(const ParamDef& def);
