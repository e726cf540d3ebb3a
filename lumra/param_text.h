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

// Puts a new bitmap texture showing the image file setting.value (named after the
// file) in the map parameter setting.name. False with the reason when nothing was set.
bool ApplyMapSetting(IParamBlock2* block, const Setting& setting, TimeValue t, std::string* error);

// The parameter's value at time t as text; list choices as "3 (GGX)", maps by name.
std::string FormatParamValue(IParamBlock2* block, ClassDesc* cd, const ParamDef& def, TimeValue t);
std::string FormatParamType(const ParamDef& def);
std::string FormatParamRange(const ParamDef& def);
