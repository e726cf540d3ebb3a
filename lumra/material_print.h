// Printing a material as `show` and `load` do.
#pragma once

#include "iparamb2.h"
#include "mtl.h"

// Every parameter of the block at time t (id, internal name, type, value, range,
// label) in declaration order; then, for a Lumra material, the values of its
// ILumraMtl getters after an update at t.
void PrintMaterial(Mtl* mtl, ClassDesc* cd, IParamBlock2* block, TimeValue t);
