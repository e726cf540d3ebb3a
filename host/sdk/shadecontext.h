// The shading context: everything a material or map may ask about the surface
// sample being shaded, and the output it writes. All shading is in camera space.
#pragma once

#include "acolor.h"
#include "baseinterface.h"
#include "box3.h"
#include "interval.h"
#include "point2.h"

class Texmap;
class LightDesc;
class INode;
class Object;
class RenderGlobalContext;

enum SCMode {
    SCMODE_NORMAL = 0,
    SCMODE_SHADOW = 1,
    SCMODE_BAKE = 2,
    SCMODE_TEXMAP = 3,
    SCMODE_TEXTURE_BAKE = 4,
};

enum RefFrame { REF_CAMERA = 0, REF_WORLD = 1, REF_OBJECT = 2 };

// What a material writes for one sample: colour, per-channel transparency
// (composited as background * t + c), and the index of refraction.
class CoreExport ShadeOutput : public InterfaceServer {
public:
    ULONG flags = 0;
    Color c = Color(0.0f, 0.0f, 0.0f);
    Color t = Color(0.0f, 0.0f, 0.0f);
    float ior = 1.0f;
    int gbufId = 0;
    int nElements = 0;
    AColor elementVals[32];

    void Reset(int n = -1) {
        c.Black();
        t.Black();
        ior = 1.0f;
        gbufId = 0;
        flags = 0;
        if (n >= 0) nElements = n;
    }
};

class CoreExport ShadeContext : public InterfaceServer {
public:
    SCMode mode = SCMODE_NORMAL;
    BOOL doMaps = TRUE;
    BOOL filterMaps = TRUE;
    BOOL shadow = TRUE;
    BOOL backFace = FALSE;
    int mtlNum = 0;
    Color ambientLight = Color(0.0f, 0.0f, 0.0f);
    int nLights = 0;
    int rayLevel = 0;
    int xshadeID = 0;
    LightDesc* atmosSkipLight = nullptr;
    RenderGlobalContext* globContext = nullptr;
    ShadeOutput out;

    ShadeContext();
    ~ShadeContext() override;

    void ResetOutput(int n = -1) { out.Reset(n); }

    virtual Class_ID ClassID();
    virtual BOOL InMtlEditor() = 0;
    virtual int Antialias() { return 0; }
    virtual int ProjType() { return 0; }
    virtual LightDesc* Light(int n) = 0;
    virtual TimeValue CurTime() = 0;
    virtual int NodeID() { return -1; }
    virtual INode* Node() { return nullptr; }
    virtual Object* GetEvalObject() { return nullptr; }
    virtual Point3 BarycentricCoords() { return Point3(0.0f, 0.0f, 0.0f); }
    virtual int FaceNumber() = 0;
    // Interpolated normal; SetNormal replaces it for the rest of the sample.
    virtual Point3 Normal() = 0;
    virtual void SetNormal(Point3 /*p*/) {}
    virtual Point3 OrigNormal() { return Normal(); }
    virtual Point3 GNormal() = 0;
    virtual float Curve() { return 0.0f; }
    // Unit vector from the camera towards the point.
    virtual Point3 V() = 0;
    virtual void SetView(Point3 p) = 0;
    // The view before any SetView.
    virtual Point3 OrigView() { return V(); }
    virtual Point3 ReflectVector() = 0;
    virtual Point3 RefractVector(float ior) = 0;
    virtual void SetIOR(float /*ior*/) {}
    virtual float GetIOR() { return 1.0f; }
    virtual Point3 CamPos() = 0;
    virtual Point3 P() = 0;
    virtual Point3 DP() = 0;
    virtual void DP(Point3& /*dpdx*/, Point3& /*dpdy*/) {}
    virtual Point3 PObj() = 0;
    virtual Point3 DPObj() = 0;
    virtual Box3 ObjectBox() = 0;
    virtual Point3 PObjRelBox() = 0;
    virtual Point3 DPObjRelBox() = 0;
    virtual void ScreenUV(Point2& uv, Point2& duv) = 0;
    virtual IPoint2 ScreenCoord() = 0;
    virtual Point2 SurfacePtScreen() { return Point2(0.0f, 0.0f); }
    virtual Point3 UVW(int channel = 0) = 0;
    virtual Point3 DUVW(int channel = 0) = 0;
    virtual void DPdUVW(Point3 dP[3], int channel = 0) = 0;
    virtual int BumpBasisVectors(Point3 /*dP*/[2], int /*axis*/, int /*channel*/ = 0) { return 0; }
    virtual Point3 UVWNormal(int /*channel*/ = 0) { return Point3(0.0f, 0.0f, 1.0f); }
    virtual float RayDiam() { return Length(DP()); }
    virtual float RayConeAngle() { return 0.0f; }
    // Evaluates an environment map for a camera-space direction: the map sees a
    // context whose view is that direction.
    virtual AColor EvalEnvironMap(Texmap* map, Point3 view);
    virtual void GetBGColor(Color& bgcol, Color& transp, BOOL fogBG = TRUE) = 0;
    virtual float CamNearRange() { return 0.0f; }
    virtual float CamFarRange() { return 0.0f; }
    virtual Point3 PointTo(const Point3& p, RefFrame ito) = 0;
    virtual Point3 PointFrom(const Point3& p, RefFrame ifrom) = 0;
    virtual Point3 VectorTo(const Point3& p, RefFrame ito) = 0;
    virtual Point3 VectorFrom(const Point3& p, RefFrame ifrom) = 0;
    virtual void SetGBufferID(int gbid) { out.gbufId = gbid; }
};
