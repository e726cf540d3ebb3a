// A shading context for tests: a fixed view, a normal, and an environment that
// is a function of direction. It counts the calls a sampler makes, so that
// tests can check which host operations it used.
#pragma once

// Host headers
#include "shadecontext.h"
#include "texmap.h"

class TestShadeContext : public ShadeContext {
public:
    // A plain function keeps the lookup cheap enough for the benchmarks.
    using Environment = AColor (*)(const Point3& direction);

    // A constant white environment.
    static AColor White(const Point3&) { return AColor(1.0f, 1.0f, 1.0f, 1.0f); }

    explicit TestShadeContext(Point3 view, Environment environment = White)
        : view_(view), environment_(environment) {}

    // What the samplers may use.
    Point3 OrigView() override {
        ++origViewCalls;
        return view_;
    }
    AColor EvalEnvironMap(Texmap* map, Point3 direction) override {
        ++environmentCalls;
        lastMap = map;
        lastDirection = direction;
        return environment_(direction);
    }

    void SetOrigView(const Point3& view) { view_ = view; }
    void ResetCounts() { origViewCalls = environmentCalls = otherCalls = 0; }

    int origViewCalls = 0;
    int environmentCalls = 0;
    // Calls of any other operation of the context.
    int otherCalls = 0;
    Texmap* lastMap = nullptr;
    Point3 lastDirection = Point3(0.0f, 0.0f, 0.0f);
    Point3 normal = Point3(0.0f, 0.0f, 1.0f);
    Color background = Color(0.0f, 0.0f, 0.0f);

    // Everything else answers plausibly and is counted.
    BOOL InMtlEditor() override { return Other(TRUE); }
    LightDesc* Light(int) override { return Other<LightDesc*>(nullptr); }
    TimeValue CurTime() override { return Other(0); }
    int FaceNumber() override { return Other(0); }
    Point3 Normal() override { return Other(normal); }
    void SetNormal(Point3 p) override { normal = Other(p); }
    Point3 GNormal() override { return Other(normal); }
    Point3 V() override { return Other(view_); }
    void SetView(Point3 p) override { view_ = Other(p); }
    Point3 ReflectVector() override { return Other(view_ - 2.0f * (view_ % normal) * normal); }
    Point3 RefractVector(float) override { return Other(view_); }
    Point3 CamPos() override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    Point3 P() override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    Point3 DP() override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    Point3 PObj() override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    Point3 DPObj() override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    Box3 ObjectBox() override { return Other(Box3()); }
    Point3 PObjRelBox() override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    Point3 DPObjRelBox() override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    void ScreenUV(Point2& uv, Point2& duv) override {
        uv = Other(Point2(0.0f, 0.0f));
        duv = Point2(0.0f, 0.0f);
    }
    IPoint2 ScreenCoord() override { return Other(IPoint2(0, 0)); }
    Point3 UVW(int) override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    Point3 DUVW(int) override { return Other(Point3(0.0f, 0.0f, 0.0f)); }
    void DPdUVW(Point3 dP[3], int) override {
        ++otherCalls;
        dP[0] = dP[1] = dP[2] = Point3(0.0f, 0.0f, 0.0f);
    }
    void GetBGColor(Color& bg, Color& transp, BOOL) override {
        bg = Other(background);
        transp = Color(0.0f, 0.0f, 0.0f);
    }
    Point3 PointTo(const Point3& p, RefFrame) override { return Other(p); }
    Point3 PointFrom(const Point3& p, RefFrame) override { return Other(p); }
    Point3 VectorTo(const Point3& p, RefFrame) override { return Other(p); }
    Point3 VectorFrom(const Point3& p, RefFrame) override { return Other(p); }

private:
    template <class T>
    T Other(T value) {
        ++otherCalls;
        return value;
    }

    Point3 view_;
    Environment environment_;
};
