// ILumraMtl: how the renderer reads a material's settings. Every getter reads the
// parameter block at time 0, or a map slot, directly; none uses the material's
// cached values.
//
// The renderer calls these through the virtual table: their order is part of the
// contract, and a getter is never moved, inserted or removed.
#pragma once

#include "color.h"
#include "mtl.h"

class Texmap;

// The material's class id, under the host's MATERIAL_CLASS_ID: a material whose
// ClassID() is this one can be read through ILumraMtl.
#define LUMRA_MTL_CLASS_ID Class_ID(0xA3F0E60D, 0x941BA693)

class ILumraMtl : public Mtl {
public:
    virtual Texmap* GetDiffuseMap() = 0;
    virtual float GetDiffuseMult() = 0;
    virtual Color GetDiffuseColor() = 0;
    virtual bool GetDiffuseMultOn() = 0;
    virtual float GetRoughnessMult() = 0;
    virtual Texmap* GetReflectMap() = 0;
    virtual Texmap* GetReflectGlossMap() = 0;
    virtual Texmap* GetReflectAnisotropyMap() = 0;
    virtual Texmap* GetReflectRotationMap() = 0;
    virtual float GetReflectMult() = 0;
    virtual Color GetReflectColor() = 0;
    virtual bool GetReflectMultOn() = 0;
    virtual float GetReflectGloss() = 0;
    virtual int GetReflectBrdf() = 0;
    virtual float GetReflectIor() = 0;
    virtual bool GetReflectFresnelOn() = 0;
    virtual int GetReflectExtrusion() = 0;
    virtual float GetReflectAnisotropy() = 0;
    virtual float GetReflectRotation() = 0;
    virtual Texmap* GetTransparencyMap() = 0;
    virtual Texmap* GetTransparencyGlossMap() = 0;
    virtual float GetTransparencyMult() = 0;
    virtual Color GetTransparencyColor() = 0;
    virtual bool GetTransparencyMultOn() = 0;
    virtual float GetTransparencyGloss() = 0;
    virtual float GetIor() = 0;
    virtual float GetFogMultiplier() = 0;
    virtual Color GetFogColor() = 0;
    virtual bool GetTransparencyThinOn() = 0;
    virtual Texmap* GetOpacityMap() = 0;
    virtual bool GetAffectShadow() = 0;
    virtual bool GetOpacitySmooth() = 0;
    virtual bool HasOpacityMap() = 0;
    virtual Texmap* GetEmissionMap() = 0;
    virtual float GetEmissionMult() = 0;
    virtual Color GetEmissionColor() = 0;
    virtual bool GetEmissionMultOn() = 0;
    virtual bool GetEmissionGi() = 0;
    virtual Texmap* GetTranslucencyMap() = 0;
    virtual float GetTranslucencyMult() = 0;
    virtual Color GetTranslucencyColor() = 0;
    virtual bool GetTranslucencyMultOn() = 0;
    virtual Texmap* GetNormalMap() = 0;
    virtual float GetBumpAmount() = 0;
    virtual float GetBumpRadius() = 0;
};
