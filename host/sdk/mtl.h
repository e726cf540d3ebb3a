// Mtl: the base class of materials.
#pragma once

#include "acolor.h"
#include "mtlbase.h"

class ShadeContext;
class Sampler;

class CoreExport Mtl : public MtlBase {
public:
    Mtl();
    ~Mtl() override;

    SClass_ID SuperClassID() override { return MATERIAL_CLASS_ID; }
    void GetClassName(MSTR& s) override;

    virtual Color GetAmbient(int mtlNum = 0, BOOL backFace = FALSE) = 0;
    virtual Color GetDiffuse(int mtlNum = 0, BOOL backFace = FALSE) = 0;
    virtual Color GetSpecular(int mtlNum = 0, BOOL backFace = FALSE) = 0;
    virtual float GetShininess(int mtlNum = 0, BOOL backFace = FALSE) = 0;
    virtual float GetShinStr(int mtlNum = 0, BOOL backFace = FALSE) = 0;
    virtual float GetXParency(int mtlNum = 0, BOOL backFace = FALSE) = 0;
    virtual BOOL GetSelfIllumColorOn(int /*mtlNum*/ = 0, BOOL /*backFace*/ = FALSE) { return TRUE; }
    virtual float GetSelfIllum(int /*mtlNum*/ = 0, BOOL /*backFace*/ = FALSE) { return 0.0f; }
    virtual Color GetSelfIllumColor(int /*mtlNum*/ = 0, BOOL /*backFace*/ = FALSE) {
        return Color(0.0f, 0.0f, 0.0f);
    }
    virtual Sampler* GetPixelSampler(int /*mtlNum*/ = 0, BOOL /*backFace*/ = FALSE) {
        return nullptr;
    }
    virtual float WireSize(int /*mtlNum*/ = 0, BOOL /*backFace*/ = FALSE) { return 1.0f; }

    virtual void SetAmbient(Color c, TimeValue t) = 0;
    virtual void SetDiffuse(Color c, TimeValue t) = 0;
    virtual void SetSpecular(Color c, TimeValue t) = 0;
    virtual void SetShininess(float v, TimeValue t) = 0;

    virtual BOOL SupportsShaders() { return FALSE; }
    virtual BOOL SupportsRenderElements() { return FALSE; }

    virtual void Shade(ShadeContext& sc) = 0;

    virtual int NumSubMtls() { return 0; }
    virtual Mtl* GetSubMtl(int /*i*/) { return nullptr; }
    virtual void SetSubMtl(int /*i*/, Mtl* /*m*/) {}
    virtual int VPDisplaySubMtl() { return -1; }
    virtual MSTR GetSubMtlSlotName(int i);

    virtual float EvalDisplacement(ShadeContext& /*sc*/) { return 0.0f; }
    virtual Interval DisplacementValidity(TimeValue /*t*/) { return FOREVER; }
};
