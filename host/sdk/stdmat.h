// The host's standard texture classes: the bitmap texture and its coordinates.
#pragma once

#include "imtl.h"

#define BMTEX_CLASS_ID 0x00000240
#define STDUV_CLASS_ID 0x00000100

// Bitmap filtering.
#define FILTER_PYR 0
#define FILTER_SAT 1
#define FILTER_NADA 2

// Where a bitmap's alpha comes from.
#define ALPHA_FILE 0
#define ALPHA_RGB 2
#define ALPHA_NONE 3

// What lies beyond the image's edges.
#define END_LOOP 0
#define END_PINGPONG 1
#define END_HOLD 2

// Coordinate mappings of a texture slot; environment slots number their own
// mappings from 0 (spherical, cylindrical, shrink-wrap, screen).
#define UVMAP_EXPLICIT 0
#define UVMAP_SPHERE_ENV 1
#define UVMAP_CYL_ENV 2
#define UVMAP_SHRINK_ENV 3
#define UVMAP_SCREEN_ENV 4

// How a texture is placed: the slot type (texture, environment...) and the mapping
// within it.
class CoreExport UVGen : public MtlBase {
public:
    SClass_ID SuperClassID() override { return UVGEN_CLASS_ID; }
    // A placement belongs to its one texture: changing it, or resetting the
    // texture, must not move another texture's picture.
    bool HasSingleOwner() override { return true; }
    virtual void InitSlotType(int sType) = 0;
    virtual int GetSlotType() = 0;
};

class CoreExport StdUVGen : public UVGen {
public:
    virtual void SetCoordMapping(int mapping) = 0;
    virtual int GetCoordMapping(int dummy = 0) = 0;
    virtual void SetUOffs(float f, TimeValue t) = 0;
    virtual void SetVOffs(float f, TimeValue t) = 0;
    virtual void SetUScl(float f, TimeValue t) = 0;
    virtual void SetVScl(float f, TimeValue t) = 0;
    virtual float GetUOffs(TimeValue t) = 0;
    virtual float GetVOffs(TimeValue t) = 0;
    virtual float GetUScl(TimeValue t) = 0;
    virtual float GetVScl(TimeValue t) = 0;
};

class CoreExport BitmapTex : public Texmap {
public:
    // Names the image file; isUIAction is set only when a user asked for it.
    virtual void SetMapName(const MCHAR* name, bool isUIAction = false) = 0;
    virtual const MCHAR* GetMapName() = 0;
    virtual StdUVGen* GetUVGen() = 0;
    virtual void SetFilterType(int ft) = 0;
    virtual int GetFilterType() = 0;
    virtual void SetAlphaSource(int as) = 0;
    virtual int GetAlphaSource() = 0;
    virtual void SetEndCondition(int endcond) = 0;
    virtual int GetEndCondition() = 0;
    virtual void SetAlphaAsMono(BOOL onoff) = 0;
    virtual BOOL GetAlphaAsMono(BOOL dummy = 0) = 0;
};

// A new bitmap texture with default settings and its own coordinates object.
CoreExport BitmapTex* NewDefaultBitmapTex();
