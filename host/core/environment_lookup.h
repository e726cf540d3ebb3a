// Environment maps that the host looks up straight from a direction, without
// giving each lookup a shading context of its own. A host-internal interface:
// ShadeContext::EvalEnvironMap asks a map for it and, when the map has it, lets
// it answer; other maps are evaluated through a context that looks along the
// direction.
#pragma once

#include "acolor.h"
#include "baseinterface.h"
#include "point3.h"

class ShadeContext;

#define HOST_ENVIRONMENT_LOOKUP_INTERFACE Interface_ID(0x456E764C, 0x6F6F6B75)

class EnvironmentLookup : public BaseInterface {
public:
    Interface_ID GetID() override { return HOST_ENVIRONMENT_LOOKUP_INTERFACE; }
    // The colour that the map's EvalColor gives a context that is sc looking
    // along view (camera space), bit for bit; false, with colour untouched, when
    // the map cannot answer so (it is then evaluated through such a context).
    virtual bool LookUp(ShadeContext& sc, const Point3& view, AColor& colour) = 0;
};
