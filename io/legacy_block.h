// Blocks in the material's earlier layouts, as files of those versions stored them:
// for reading such files back in tests, and for making them on purpose.
#pragma once

#include "iparamb.h"

// A first-edition block of layout version 0 or 1 holding the values that `from`
// has at time 0 (maps excepted: the material holds those itself). Null for any
// other version.
IParamBlock* NewLegacyParamBlock(DWORD version, IParamBlock2* from);

// The entry index of a parameter in a layout, or -1.
int LegacyEntryIndex(DWORD version, ParamID id);
