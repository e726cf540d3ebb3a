// The host's "Normal Bump" texture: relief from a tangent-space normal map.
#pragma once

#include "texmap.h"

// The Normal Bump map's class id (its super class is TEXMAP_CLASS_ID).
constexpr Class_ID NORMAL_BUMP_CLASS_ID(0x4c4e424d, 0x00000001);

// Holds a normal map (reference 0, sub-texture 0) whose colours encode unit
// normals in the surface's tangent frame: red along +u, green along +v, blue
// along the normal, each as (c + 1) / 2. Its colour is the normal map's colour;
// its perturbation is the decoded normal carried into camera space minus the
// current normal, so that adding it to the normal gives the mapped normal.
// A bitmap held as the normal map is read with a file gamma of 1: its values
// are vectors, not colours.
class CoreExport NormalBumpTex : public Texmap {
public:
    NormalBumpTex();
    ~NormalBumpTex() override;

    void GetClassName(MSTR& s) override { s = _M("Normal Bump"); }
    Class_ID ClassID() override;

    void SetNormalMap(Texmap* map);
    Texmap* GetNormalMap() const { return normalMap_; }

    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override;
    int NumSubTexmaps() override { return 1; }
    Texmap* GetSubTexmap(int i) override { return i == 0 ? normalMap_ : nullptr; }
    void SetSubTexmap(int i, Texmap* m) override;
    MSTR GetSubTexmapSlotName(int i) override;
    RefTargetHandle Clone(RemapDir& remap) override;

    AColor EvalColor(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext& sc) override;

    void Update(TimeValue t, Interval& valid) override;
    void Reset() override;
    Interval Validity(TimeValue t) override;
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

protected:
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    Texmap* normalMap_ = nullptr;
};

// A new Normal Bump texture showing `normalMap` (which may be null).
CoreExport Texmap* NewNormalBumpTex(Texmap* normalMap);
