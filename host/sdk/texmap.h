// Texmap: the base class of texture maps.
#pragma once

#include "acolor.h"
#include "mtlbase.h"

class ShadeContext;

class CoreExport Texmap : public MtlBase {
public:
    Texmap();
    ~Texmap() override;

    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    void GetClassName(MSTR& s) override;

    virtual AColor EvalColor(ShadeContext& sc) = 0;
    // Average of the colour's three channels unless the map knows better.
    virtual float EvalMono(ShadeContext& sc);
    // Perturbation of the shading normal, added to it by the caller.
    virtual Point3 EvalNormalPerturb(ShadeContext& sc) = 0;
    virtual BOOL HandleOwnViewPerturb() { return FALSE; }
    virtual BOOL IsHighDynamicRange() const { return FALSE; }
};
