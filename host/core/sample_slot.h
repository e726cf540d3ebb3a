// A material-editor sample slot: a unit sphere at the world origin seen by the
// slot's camera, lit by a key light and a back light, in front of a checker or a
// plain background. One SampleSlotContext per render thread shades its pixels.
//
// World +Z is up; the camera stands on -Y and looks along +Y. Camera space is the
// host's: +X right, +Y up, and the camera looks along -Z.
#pragma once

#include "imtl.h"
#include "shading/ishadeseed.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class Mtl;

struct SampleSlotBackground {
    bool checker = true;  // else the plain colour
    Color colour = Color(0.0f, 0.0f, 0.0f);
};

// A light that reaches every point from one direction.
class CoreExport SampleSlotLight : public LightDesc {
public:
    SampleSlotLight(const Point3& towardsLight, const Color& colour);
    // Fills the light's colour, its direction and N.L, negative behind the surface
    // too; TRUE when the light reaches the point's side.
    BOOL Illuminate(ShadeContext& sc, Point3& normal, Color& color, Point3& dir, float& dot_nl,
                    float& diffuseCoef) override;

private:
    Point3 towardsLight_;
    Color colour_;
};

class CoreExport SampleSlot {
public:
    SampleSlot(int width, int height, SampleSlotBackground background = {});

    int Width() const { return width_; }
    int Height() const { return height_; }
    const SampleSlotBackground& Background() const { return background_; }
    int NumLights() const { return 2; }
    LightDesc* Light(int i);
    // The background at a pixel position.
    Color BackgroundAt(float x, float y) const;
    // Camera-space ray direction through a pixel position.
    Point3 RayDirection(float x, float y) const;

    // Camera-space width of one pixel at unit distance from the camera.
    float PixelScale() const { return pixelScale_; }
    // Whether the ray through a pixel position meets the sphere, and at which
    // distance along its direction.
    bool Hit(float x, float y, float* distance = nullptr) const;
    // How many pixels of row y (pixel centres at +0.5) show the sphere: the
    // shading calls the row takes.
    int RowHits(int y) const;

    // The shading calls the module is taken to have made before this slot: a
    // render's n-th shading call, in row order, is seeded as the module's shared
    // counter seeded call n + ShadeCallsBefore() of a single-threaded render. 0,
    // the default, is a freshly loaded module.
    void SetShadeCallsBefore(std::uint64_t calls) { callsBefore_ = calls; }
    std::uint64_t ShadeCallsBefore() const { return callsBefore_; }

    static constexpr float kCameraDistance = 4.0f;

private:
    int width_, height_;
    SampleSlotBackground background_;
    float pixelScale_;
    std::uint64_t callsBefore_ = 0;
    SampleSlotLight key_;
    SampleSlotLight back_;
};

// Renders the slot with the material, rows shared out among `threads` threads
// (each with its own context); the material is updated for time t first, as the
// host does before it shades. Pixels are row-major, top row first. progress, if
// given, is called from the calling thread with the number of rows done. Every
// pixel is seeded as in a single-threaded render (see SetShadeCallsBefore), so
// the picture is the same whatever the number of threads.
CoreExport std::vector<Color> RenderSampleSlot(Mtl& mtl, SampleSlot& slot, int threads,
                                               TimeValue t = 0,
                                               const std::function<void(int)>& progress = {});
// Shades the slot as RenderSampleSlot does, without updating the material first
// (a host that updates on its own thread calls this from a render thread). With
// `stop`, each thread looks at it before every row and leaves the rows that remain
// once it is set: their pixels stay black.
CoreExport std::vector<Color> ShadeSampleSlot(Mtl& mtl, SampleSlot& slot, int threads,
                                              TimeValue t = 0,
                                              const std::function<void(int)>& progress = {},
                                              const std::atomic<bool>* stop = nullptr);

class CoreExport SampleSlotContext : public ShadeContext {
public:
    explicit SampleSlotContext(SampleSlot& slot, TimeValue t = 0);

    // Prepares the sample at pixel position (x, y), the pixel's centre being at
    // +0.5; false when the ray misses the sphere.
    bool SetPixel(float x, float y);
    // Shades the pixel with the material, or answers the background where the
    // sphere is not: the colour the slot shows there. A shaded pixel takes the
    // next shading call's starting value (see SetNextShadeCall).
    Color ShadePixel(Mtl& mtl, float x, float y);

    // The number, from 1, of the next shading call this context makes, which
    // chooses its starting value (ShadeSeedOfCall); each call advances it. A new context
    // starts at the slot's ShadeCallsBefore() + 1.
    void SetNextShadeCall(std::uint64_t n) { seeding_.next = n; }
    std::uint64_t NextShadeCall() const { return seeding_.next; }
    // The seeding interface, IShadeSeed; other ids as the host answers them.
    BaseInterface* GetInterface(Interface_ID id) override;

    BOOL InMtlEditor() override { return TRUE; }
    LightDesc* Light(int n) override { return slot_.Light(n); }
    TimeValue CurTime() override { return time_; }
    int FaceNumber() override { return 0; }
    Point3 Normal() override { return normal_; }
    void SetNormal(Point3 p) override { normal_ = p; }
    Point3 OrigNormal() override { return geometricNormal_; }
    Point3 GNormal() override { return geometricNormal_; }
    Point3 V() override { return view_; }
    void SetView(Point3 p) override { view_ = p; }
    Point3 OrigView() override { return origView_; }
    Point3 ReflectVector() override;
    Point3 RefractVector(float ior) override;
    void SetIOR(float ior) override { ior_ = ior; }
    float GetIOR() override { return ior_; }
    Point3 CamPos() override { return Point3(0.0f, 0.0f, 0.0f); }
    Point3 P() override { return position_; }
    Point3 DP() override { return Point3(pixelFootprint_, pixelFootprint_, pixelFootprint_); }
    Point3 PObj() override { return objectPosition_; }
    Point3 DPObj() override { return DP(); }
    Box3 ObjectBox() override {
        return Box3(Point3(-1.0f, -1.0f, -1.0f), Point3(1.0f, 1.0f, 1.0f));
    }
    Point3 PObjRelBox() override { return objectPosition_; }
    Point3 DPObjRelBox() override { return DP(); }
    void ScreenUV(Point2& uv, Point2& duv) override;
    IPoint2 ScreenCoord() override;
    Point3 UVW(int channel = 0) override;
    Point3 DUVW(int channel = 0) override;
    void DPdUVW(Point3 dP[3], int channel = 0) override;
    void GetBGColor(Color& bgcol, Color& transp, BOOL fogBG = TRUE) override;
    Point3 PointTo(const Point3& p, RefFrame ito) override;
    Point3 PointFrom(const Point3& p, RefFrame ifrom) override;
    Point3 VectorTo(const Point3& p, RefFrame ito) override;
    Point3 VectorFrom(const Point3& p, RefFrame ifrom) override;

private:
    // Seeding of shading calls by their number.
    struct CallSeeding : IShadeSeed {
        std::uint64_t next = 1;
        std::uint32_t ShadeSeed() override { return ShadeSeedOfCall(next++); }
    };

    SampleSlot& slot_;
    TimeValue time_;
    CallSeeding seeding_;
    float x_ = 0.0f, y_ = 0.0f;
    Point3 position_{0.0f, 0.0f, 0.0f};
    Point3 objectPosition_{0.0f, 0.0f, 0.0f};
    Point3 normal_{0.0f, 0.0f, 1.0f};
    Point3 geometricNormal_{0.0f, 0.0f, 1.0f};
    Point3 view_{0.0f, 0.0f, -1.0f};
    Point3 origView_{0.0f, 0.0f, -1.0f};
    float ior_ = 1.0f;
    float pixelFootprint_ = 0.0f;
};
