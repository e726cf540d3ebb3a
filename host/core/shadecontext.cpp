#include "shadecontext.h"

#include "environment_lookup.h"
#include "lightdesc.h"
#include "texmap.h"

namespace {

// The context an environment map sees: the caller's, but looking along the
// requested direction.
class EnvironmentLookupContext : public ShadeContext {
public:
    EnvironmentLookupContext(ShadeContext& base, const Point3& view) : base_(base), view_(view) {
        mode = base.mode;
        doMaps = base.doMaps;
        filterMaps = base.filterMaps;
        backFace = base.backFace;
        mtlNum = base.mtlNum;
        globContext = base.globContext;
    }

    BOOL InMtlEditor() override { return base_.InMtlEditor(); }
    LightDesc* Light(int n) override { return base_.Light(n); }
    TimeValue CurTime() override { return base_.CurTime(); }
    int FaceNumber() override { return base_.FaceNumber(); }
    Point3 Normal() override { return base_.Normal(); }
    Point3 GNormal() override { return base_.GNormal(); }
    Point3 V() override { return view_; }
    void SetView(Point3 p) override { view_ = p; }
    Point3 OrigView() override { return view_; }
    Point3 ReflectVector() override { return view_; }
    Point3 RefractVector(float) override { return view_; }
    Point3 CamPos() override { return base_.CamPos(); }
    Point3 P() override { return base_.P(); }
    Point3 DP() override { return base_.DP(); }
    Point3 PObj() override { return base_.PObj(); }
    Point3 DPObj() override { return base_.DPObj(); }
    Box3 ObjectBox() override { return base_.ObjectBox(); }
    Point3 PObjRelBox() override { return base_.PObjRelBox(); }
    Point3 DPObjRelBox() override { return base_.DPObjRelBox(); }
    void ScreenUV(Point2& uv, Point2& duv) override { base_.ScreenUV(uv, duv); }
    IPoint2 ScreenCoord() override { return base_.ScreenCoord(); }
    Point3 UVW(int channel) override { return base_.UVW(channel); }
    Point3 DUVW(int channel) override { return base_.DUVW(channel); }
    void DPdUVW(Point3 dP[3], int channel) override { base_.DPdUVW(dP, channel); }
    void GetBGColor(Color& bg, Color& transp, BOOL fogBG) override {
        base_.GetBGColor(bg, transp, fogBG);
    }
    Point3 PointTo(const Point3& p, RefFrame ito) override { return base_.PointTo(p, ito); }
    Point3 PointFrom(const Point3& p, RefFrame ifrom) override { return base_.PointFrom(p, ifrom); }
    Point3 VectorTo(const Point3& p, RefFrame ito) override { return base_.VectorTo(p, ito); }
    Point3 VectorFrom(const Point3& p, RefFrame ifrom) override {
        return base_.VectorFrom(p, ifrom);
    }

private:
    ShadeContext& base_;
    Point3 view_;
};

}  // namespace

ShadeContext::ShadeContext() = default;
ShadeContext::~ShadeContext() = default;

Class_ID ShadeContext::ClassID() { return Class_ID(0, 0); }

AColor ShadeContext::EvalEnvironMap(Texmap* map, Point3 view) {
    if (!map) return AColor(0.0f, 0.0f, 0.0f, 0.0f);
    // Maps that can be looked up by direction are; the others see a context of
    // their own.
    if (auto* lookup =
            static_cast<EnvironmentLookup*>(map->GetInterface(HOST_ENVIRONMENT_LOOKUP_INTERFACE))) {
        AColor colour;
        if (lookup->LookUp(*this, view, colour)) return colour;
    }
    EnvironmentLookupContext env(*this, view);
    return map->EvalColor(env);
}

RenderData::~RenderData() = default;
