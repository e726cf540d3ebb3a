// A shading context whose every answer a test sets by hand: texture
// coordinates and their surface derivatives, the view, the normal, and the
// rotation from camera to world space.
#pragma once

#include "shadecontext.h"

class TestSlotContext : public ShadeContext {
public:
    Point3 uvw = Point3(0.0f, 0.0f, 0.0f);
    Point3 duvw = Point3(0.0f, 0.0f, 0.0f);
    Point3 dPdu = Point3(1.0f, 0.0f, 0.0f);
    Point3 dPdv = Point3(0.0f, 1.0f, 0.0f);
    Point3 normal = Point3(0.0f, 0.0f, 1.0f);
    Point3 view = Point3(0.0f, 0.0f, -1.0f);
    Point3 point = Point3(0.0f, 0.0f, 0.0f);
    // Rows of the camera-to-world rotation; identity unless a test sets it.
    Point3 toWorld[3] = {Point3(1.0f, 0.0f, 0.0f), Point3(0.0f, 1.0f, 0.0f),
                         Point3(0.0f, 0.0f, 1.0f)};

    BOOL InMtlEditor() override { return TRUE; }
    LightDesc* Light(int) override { return nullptr; }
    TimeValue CurTime() override { return 0; }
    int FaceNumber() override { return 0; }
    Point3 Normal() override { return normal; }
    void SetNormal(Point3 p) override { normal = p; }
    Point3 GNormal() override { return normal; }
    Point3 V() override { return view; }
    void SetView(Point3 p) override { view = p; }
    Point3 ReflectVector() override { return view - 2.0f * DotProd(view, normal) * normal; }
    Point3 RefractVector(float) override { return view; }
    Point3 CamPos() override { return Point3(0.0f, 0.0f, 0.0f); }
    Point3 P() override { return point; }
    Point3 DP() override { return Point3(0.0f, 0.0f, 0.0f); }
    Point3 PObj() override { return point; }
    Point3 DPObj() override { return Point3(0.0f, 0.0f, 0.0f); }
    Box3 ObjectBox() override { return Box3(); }
    Point3 PObjRelBox() override { return point; }
    Point3 DPObjRelBox() override { return Point3(0.0f, 0.0f, 0.0f); }
    void ScreenUV(Point2& uv, Point2& duv) override {
        uv = Point2(0.0f, 0.0f);
        duv = Point2(0.0f, 0.0f);
    }
    IPoint2 ScreenCoord() override { return IPoint2(0, 0); }
    Point3 UVW(int) override { return uvw; }
    Point3 DUVW(int) override { return duvw; }
    void DPdUVW(Point3 dP[3], int) override {
        dP[0] = dPdu;
        dP[1] = dPdv;
        dP[2] = Point3(0.0f, 0.0f, 0.0f);
    }
    void GetBGColor(Color& bg, Color& transp, BOOL) override {
        bg = Color(0.0f, 0.0f, 0.0f);
        transp = Color(0.0f, 0.0f, 0.0f);
    }
    Point3 PointTo(const Point3& p, RefFrame ito) override { return VectorTo(p, ito); }
    Point3 PointFrom(const Point3& p, RefFrame ifrom) override { return VectorFrom(p, ifrom); }
    Point3 VectorTo(const Point3& p, RefFrame ito) override {
        if (ito != REF_WORLD) return p;
        return Point3(DotProd(toWorld[0], p), DotProd(toWorld[1], p), DotProd(toWorld[2], p));
    }
    Point3 VectorFrom(const Point3& p, RefFrame ifrom) override {
        if (ifrom != REF_WORLD) return p;
        return toWorld[0] * p.x + toWorld[1] * p.y + toWorld[2] * p.z;
    }
};
