// The host's bitmap texture and its standard coordinates object.
#pragma once

#include "stdmat.h"

#include <string>

class CoreExport StdUVGenImpl : public StdUVGen {
public:
    void GetClassName(MSTR& s) override { s = _M("StandardUVGen"); }
    Class_ID ClassID() override { return Class_ID(STDUV_CLASS_ID, 0); }

    void InitSlotType(int sType) override { slotType_ = sType; }
    int GetSlotType() override { return slotType_; }
    void SetCoordMapping(int mapping) override { mapping_ = mapping; }
    int GetCoordMapping(int) override { return mapping_; }
    void SetUOffs(float f, TimeValue) override { uOffs_ = f; }
    void SetVOffs(float f, TimeValue) override { vOffs_ = f; }
    void SetUScl(float f, TimeValue) override { uScl_ = f; }
    void SetVScl(float f, TimeValue) override { vScl_ = f; }
    float GetUOffs(TimeValue) override { return uOffs_; }
    float GetVOffs(TimeValue) override { return vOffs_; }
    float GetUScl(TimeValue) override { return uScl_; }
    float GetVScl(TimeValue) override { return vScl_; }

    void Update(TimeValue, Interval&) override {}
    void Reset() override;
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

protected:
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    int slotType_ = MAPSLOT_TEXTURE;
    int mapping_ = UVMAP_EXPLICIT;
    float uOffs_ = 0.0f, vOffs_ = 0.0f, uScl_ = 1.0f, vScl_ = 1.0f;
};

class CoreExport BMTex : public BitmapTex {
public:
    // A texture with its own coordinates object, except when it is made for loading:
    // the file then supplies them.
    explicit BMTex(BOOL loading = FALSE);
    ~BMTex() override;

    void GetClassName(MSTR& s) override { s = _M("Bitmap"); }
    Class_ID ClassID() override { return Class_ID(BMTEX_CLASS_ID, 0); }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override { return i == 0 ? uvGen_ : nullptr; }
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    void SetMapName(const MCHAR* name, bool isUIAction = false) override;
    const MCHAR* GetMapName() override { return mapName_.c_str(); }
    StdUVGen* GetUVGen() override { return uvGen_; }
    void SetFilterType(int ft) override { filterType_ = ft; }
    int GetFilterType() override { return filterType_; }
    void SetAlphaSource(int as) override { alphaSource_ = as; }
    int GetAlphaSource() override { return alphaSource_; }
    void SetEndCondition(int endcond) override { endCondition_ = endcond; }
    int GetEndCondition() override { return endCondition_; }
    void SetAlphaAsMono(BOOL onoff) override { alphaAsMono_ = onoff; }
    BOOL GetAlphaAsMono(BOOL) override { return alphaAsMono_; }

    AColor EvalColor(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext& sc) override;

    void Update(TimeValue, Interval&) override {}
    void Reset() override;
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

protected:
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    StdUVGen* uvGen_ = nullptr;
    std::wstring mapName_;
    int filterType_ = FILTER_PYR;
    int alphaSource_ = ALPHA_FILE;
    int endCondition_ = END_LOOP;
    BOOL alphaAsMono_ = FALSE;
};
