// LumraMtl: the material of the Lumra renderer as the host sees it.
#pragma once

#include "material/cached_state.h"
#include "material/ilumramtl.h"
#include "material/map_slots.h"

#include "iparamb2.h"
#include "texmap.h"

#include <atomic>

class LumraMtl : public ILumraMtl {
public:
    IParamBlock2* pblock = nullptr;
    Texmap* texmaps[kNumMapSlots] = {};
    Interval ivalid = NEVER;
    CachedState cached;

    explicit LumraMtl(BOOL loading);
    ~LumraMtl() override;

    // Animatable
    void DeleteThis() override;
    void GetClassName(MSTR& s) override;
    Class_ID ClassID() override { return LUMRA_MTL_CLASS_ID; }
    int NumSubs() override { return 1; }
    Animatable* SubAnim(int i) override;
    MSTR SubAnimName(int i) override;
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int i) override;
    IParamBlock2* GetParamBlockByID(BlockID id) override;

    // ReferenceMaker / ReferenceTarget
    int NumRefs() override { return kNumRefs; }
    RefTargetHandle GetReference(int i) override;
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;  // io/mtl_io.cpp
    IOResult Load(ILoad* iload) override;

    // MtlBase
    ULONG Requirements(int subMtlNum) override;
    void Update(TimeValue t, Interval& valid) override;
    void Reset() override;
    Interval Validity(TimeValue t) override;
    ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;

    // Mtl
    BOOL GetTransparencyHint(TimeValue t, Interval& valid) override;
    Color GetAmbient(int mtlNum = 0, BOOL backFace = FALSE) override;
    Color GetDiffuse(int mtlNum = 0, BOOL backFace = FALSE) override;
    Color GetSpecular(int mtlNum = 0, BOOL backFace = FALSE) override;
    float GetShininess(int mtlNum = 0, BOOL backFace = FALSE) override;
    float GetShinStr(int mtlNum = 0, BOOL backFace = FALSE) override;
    float GetXParency(int mtlNum = 0, BOOL backFace = FALSE) override;
    BOOL GetSelfIllumColorOn(int mtlNum = 0, BOOL backFace = FALSE) override;
    float GetSelfIllum(int mtlNum = 0, BOOL backFace = FALSE) override;
    Color GetSelfIllumColor(int mtlNum = 0, BOOL backFace = FALSE) override;
    Sampler* GetPixelSampler(int mtlNum = 0, BOOL backFace = FALSE) override;
    float WireSize(int mtlNum = 0, BOOL backFace = FALSE) override;
    void SetAmbient(Color c, TimeValue t) override;
    void SetDiffuse(Color c, TimeValue t) override;
    void SetSpecular(Color c, TimeValue t) override;
    void SetShininess(float v, TimeValue t) override;
    void Shade(ShadeContext& sc) override;
    void SetSubMtl(int i, Mtl* m) override;
    MSTR GetSubMtlSlotName(int i) override;
    float EvalDisplacement(ShadeContext& sc) override;

    // ISubMap
    int NumSubTexmaps() override { return kNumMapSlots; }
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    MSTR GetSubTexmapSlotName(int i) override;

    // ILumraMtl
    Texmap* GetDiffuseMap() override;
    float GetDiffuseMult() override;
    Color GetDiffuseColor() override;
    bool GetDiffuseMultOn() override;
    float GetRoughnessMult() override;
    Texmap* GetReflectMap() override;
    Texmap* GetReflectGlossMap() override;
    Texmap* GetReflectAnisotropyMap() override;
    Texmap* GetReflectRotationMap() override;
    float GetReflectMult() override;
    Color GetReflectColor() override;
    bool GetReflectMultOn() override;
    float GetReflectGloss() override;
    int GetReflectBrdf() override;
    float GetReflectIor() override;
    bool GetReflectFresnelOn() override;
    int GetReflectExtrusion() override;
    float GetReflectAnisotropy() override;
    float GetReflectRotation() override;
    Texmap* GetTransparencyMap() override;
    Texmap* GetTransparencyGlossMap() override;
    float GetTransparencyMult() override;
    Color GetTransparencyColor() override;
    bool GetTransparencyMultOn() override;
    float GetTransparencyGloss() override;
    float GetIor() override;
    float GetFogMultiplier() override;
    Color GetFogColor() override;
    bool GetTransparencyThinOn() override;
    Texmap* GetOpacityMap() override;
    bool GetAffectShadow() override;
    bool GetOpacitySmooth() override;
    bool HasOpacityMap() override;
    Texmap* GetEmissionMap() override;
    float GetEmissionMult() override;
    Color GetEmissionColor() override;
    bool GetEmissionMultOn() override;
    bool GetEmissionGi() override;
    Texmap* GetTranslucencyMap() override;
    float GetTranslucencyMult() override;
    Color GetTranslucencyColor() override;
    bool GetTranslucencyMultOn() override;
    Texmap* GetNormalMap() override;
    float GetBumpAmount() override;
    float GetBumpRadius() override;

protected:
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message, BOOL propagate) override;

public:
    // The filter colour of the transparent layer, fog tint included.
    Color EvalTransparencyColor(ShadeContext& sc);

    // The transparency multiplier as shading reads it: the host's transparency
    // query may lower it while render threads read it.
    float TransparencyMult() const {
        return std::atomic_ref<float>(const_cast<float&>(cached.transparencyMult))
            .load(std::memory_order_relaxed);
    }

private:
    // Tells dependents that the material changed.
    void NotifyChanged();
    Color ModulatedColor(ShadeContext& sc, int slot, const Color& color, float mult, BOOL tint);
    float ModulatedScalar(ShadeContext& sc, int slot, float value);
};
