#include "sample_slot.h"

#include "mtl.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <system_error>
#include <thread>

namespace {

constexpr float kPi = 3.14159265f;
// The sphere fills this share of the slot's smaller side.
constexpr float kFill = 0.92f;

// Camera space to world: camera +X is world +X, camera +Y world +Z, camera -Z
// (the viewing direction) world +Y.
Point3 CameraToWorld(const Point3& v) { return Point3(v.x, -v.z, v.y); }
Point3 WorldToCamera(const Point3& v) { return Point3(v.x, v.z, -v.y); }
// The sphere's centre, the world origin, in camera space.
const Point3 kSphereCentre(0.0f, 0.0f, -SampleSlot::kCameraDistance);

}  // namespace

SampleSlotLight::SampleSlotLight(const Point3& towardsLight, const Color& colour)
    : towardsLight_(Normalize(towardsLight)), colour_(colour) {}

BOOL SampleSlotLight::Illuminate(ShadeContext&, Point3& normal, Color& color, Point3& dir,
                                 float& dot_nl, float& diffuseCoef) {
    color = colour_;
    dir = towardsLight_;
    dot_nl = normal % dir;
    diffuseCoef = dot_nl > 0.0f ? dot_nl : 0.0f;
    return dot_nl > 0.0f ? TRUE : FALSE;
}

SampleSlot::SampleSlot(int width, int height, SampleSlotBackground background)
    : width_(width > 0 ? width : 1),
      height_(height > 0 ? height : 1),
      background_(background),
      pixelScale_(2.0f * std::tan(std::asin(1.0f / kCameraDistance)) / kFill /
                  static_cast<float>(width_ < height_ ? width_ : height_)),
      // The key light comes from the upper left, in front; the back light from
      // behind on the right, so that it shows through translucent surfaces.
      key_(Point3(-0.55f, 0.6f, 0.6f), Color(1.0f, 1.0f, 1.0f)),
      back_(Point3(0.6f, 0.35f, -0.7f), Color(0.6f, 0.6f, 0.6f)) {}

LightDesc* SampleSlot::Light(int i) {
    if (i == 0) return &key_;
    if (i == 1) return &back_;
    return nullptr;
}

Color SampleSlot::BackgroundAt(float x, float y) const {
    if (!background_.checker) return background_.colour;
    // Eight squares across the slot's smaller side.
    const float square = static_cast<float>(width_ < height_ ? width_ : height_) / 8.0f;
    const int cx = static_cast<int>(std::floor(x / square));
    const int cy = static_cast<int>(std::floor(y / square));
    const float v = ((cx + cy) & 1) ? 0.45f : 0.12f;
    return Color(v, v, v);
}

bool SampleSlot::Hit(float x, float y, float* distance) const {
    const Point3 d = RayDirection(x, y);
    // Ray from the camera at the origin: |t d - c|² = 1.
    const float b = d % kSphereCentre;
    const float disc = b * b - (kSphereCentre % kSphereCentre - 1.0f);
    if (disc < 0.0f) return false;
    if (distance) *distance = b - std::sqrt(disc);
    return true;
}

int SampleSlot::RowHits(int y) const {
    int hits = 0;
    for (int x = 0; x < width_; ++x)
        hits += Hit(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f) ? 1 : 0;
    return hits;
}

Point3 SampleSlot::RayDirection(float x, float y) const {
    const float sx = (x - 0.5f * static_cast<float>(width_)) * pixelScale_;
    const float sy = (0.5f * static_cast<float>(height_) - y) * pixelScale_;
    return Normalize(Point3(sx, sy, -1.0f));
}

SampleSlotContext::SampleSlotContext(SampleSlot& slot, TimeValue t) : slot_(slot), time_(t) {
    seeding_.next = slot.ShadeCallsBefore() + 1;
    nLights = slot.NumLights();
    doMaps = TRUE;
    filterMaps = TRUE;
}

bool SampleSlotContext::SetPixel(float x, float y) {
    x_ = x;
    y_ = y;
    float t = 0.0f;
    if (!slot_.Hit(x, y, &t)) return false;
    const Point3 d = slot_.RayDirection(x, y);
    position_ = d * t;
    geometricNormal_ = Normalize(position_ - kSphereCentre);
    normal_ = geometricNormal_;
    view_ = origView_ = d;
    objectPosition_ = CameraToWorld(position_ - kSphereCentre);
    backFace = FALSE;
    ior_ = 1.0f;
    pixelFootprint_ = t * slot_.PixelScale();
    ResetOutput();
    return true;
}

Color SampleSlotContext::ShadePixel(Mtl& mtl, float x, float y) {
    if (!SetPixel(x, y)) return slot_.BackgroundAt(x, y);
    mtl.Shade(*this);
    return out.c;
}

BaseInterface* SampleSlotContext::GetInterface(Interface_ID id) {
    if (id == LUMRA_SHADE_SEED_INTERFACE) return &seeding_;
    return ShadeContext::GetInterface(id);
}

Point3 SampleSlotContext::ReflectVector() {
    const Point3 n = normal_;
    return view_ - 2.0f * (view_ % n) * n;
}

Point3 SampleSlotContext::RefractVector(float ior) {
    // Entering the sphere from the outside: the ratio is 1 / ior. Total internal
    // reflection, possible only below 1, gives the mirror direction.
    Point3 n = normal_;
    float cosi = -(view_ % n);
    float eta = ior > 0.0f ? 1.0f / ior : 1.0f;
    if (cosi < 0.0f) {
        n = -n;
        cosi = -cosi;
        eta = 1.0f / eta;
    }
    const float k = 1.0f - eta * eta * (1.0f - cosi * cosi);
    if (k < 0.0f) return ReflectVector();
    return Normalize(view_ * eta + n * (eta * cosi - std::sqrt(k)));
}

void SampleSlotContext::ScreenUV(Point2& uv, Point2& duv) {
    uv = Point2(x_ / static_cast<float>(slot_.Width()),
                1.0f - y_ / static_cast<float>(slot_.Height()));
    duv =
        Point2(1.0f / static_cast<float>(slot_.Width()), 1.0f / static_cast<float>(slot_.Height()));
}

IPoint2 SampleSlotContext::ScreenCoord() {
    return IPoint2(static_cast<int>(x_), static_cast<int>(y_));
}

// Spherical mapping about world +Z: u turns with the longitude, v rises from the
// south pole (0) to the north pole (1).
Point3 SampleSlotContext::UVW(int) {
    const Point3& p = objectPosition_;
    float u = std::atan2(p.y, p.x) / (2.0f * kPi) + 0.5f;
    const float z = p.z < -1.0f ? -1.0f : (p.z > 1.0f ? 1.0f : p.z);
    const float v = 1.0f - std::acos(z) / kPi;
    return Point3(u, v, 0.0f);
}

Point3 SampleSlotContext::DUVW(int) {
    const float d = pixelFootprint_ / kPi;
    return Point3(d, d, 0.0f);
}

// Derivatives of the surface point along u and v, in camera space.
void SampleSlotContext::DPdUVW(Point3 dP[3], int) {
    const Point3& p = objectPosition_;
    const float radial = std::sqrt(p.x * p.x + p.y * p.y);
    const float phi = std::atan2(p.y, p.x);
    const float theta = std::acos(p.z < -1.0f ? -1.0f : (p.z > 1.0f ? 1.0f : p.z));
    const Point3 dPdu(-2.0f * kPi * radial * std::sin(phi), 2.0f * kPi * radial * std::cos(phi),
                      0.0f);
    const Point3 dPdv(-kPi * std::cos(theta) * std::cos(phi),
                      -kPi * std::cos(theta) * std::sin(phi), kPi * std::sin(theta));
    dP[0] = WorldToCamera(dPdu);
    dP[1] = WorldToCamera(dPdv);
    dP[2] = Point3(0.0f, 0.0f, 0.0f);
}

void SampleSlotContext::GetBGColor(Color& bgcol, Color& transp, BOOL) {
    bgcol = slot_.BackgroundAt(x_, y_);
    transp = Color(0.0f, 0.0f, 0.0f);
}

Point3 SampleSlotContext::PointTo(const Point3& p, RefFrame ito) {
    if (ito == REF_CAMERA) return p;
    return CameraToWorld(p - kSphereCentre);  // world and object coincide
}

Point3 SampleSlotContext::PointFrom(const Point3& p, RefFrame ifrom) {
    if (ifrom == REF_CAMERA) return p;
    return WorldToCamera(p) + kSphereCentre;
}

Point3 SampleSlotContext::VectorTo(const Point3& p, RefFrame ito) {
    return ito == REF_CAMERA ? p : CameraToWorld(p);
}

Point3 SampleSlotContext::VectorFrom(const Point3& p, RefFrame ifrom) {
    return ifrom == REF_CAMERA ? p : WorldToCamera(p);
}

std::vector<Color> RenderSampleSlot(Mtl& mtl, SampleSlot& slot, int threads, TimeValue t,
                                    const std::function<void(int)>& progress) {
    Interval valid = FOREVER;
    mtl.Update(t, valid);
    return ShadeSampleSlot(mtl, slot, threads, t, progress);
}

std::vector<Color> ShadeSampleSlot(Mtl& mtl, SampleSlot& slot, int threads, TimeValue t,
                                   const std::function<void(int)>& progress,
                                   const std::atomic<bool>* stop) {
    const int width = slot.Width();
    const int height = slot.Height();
    std::vector<Color> pixels(static_cast<std::size_t>(width) * height, Color(0.0f, 0.0f, 0.0f));
    // Each row's first shading call, as a single-threaded render numbers them.
    std::vector<std::uint64_t> rowFirstCall(static_cast<std::size_t>(height));
    std::uint64_t calls = slot.ShadeCallsBefore();
    for (int y = 0; y < height; ++y) {
        rowFirstCall[static_cast<std::size_t>(y)] = calls + 1;
        calls += static_cast<std::uint64_t>(slot.RowHits(y));
    }
    std::atomic<int> nextRow{0};
    std::atomic<int> rowsDone{0};
    auto work = [&] {
        SampleSlotContext sc(slot, t);
        for (int y = nextRow++; y < height; y = nextRow++) {
            // A stop leaves the rows not yet begun; the progress still reaches the end.
            if (stop && stop->load()) {
                ++rowsDone;
                continue;
            }
            sc.SetNextShadeCall(rowFirstCall[static_cast<std::size_t>(y)]);
            for (int x = 0; x < width; ++x) {
                pixels[static_cast<std::size_t>(y) * width + x] =
                    sc.ShadePixel(mtl, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            }
            ++rowsDone;
        }
    };
    // A thread the system cannot start leaves its rows to the others: the slot is
    // rendered by the threads there are.
    std::vector<std::thread> workers;
    auto start = [&] {
        try {
            workers.emplace_back(work);
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    };
    for (int i = 1; i < threads && start(); ++i) {
    }
    if (progress && start()) {
        // The calling thread reports while the others work.
        while (rowsDone.load() < height) {
            progress(rowsDone.load());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        progress(height);
    } else {
        work();
    }
    for (std::thread& w : workers) w.join();
    return pixels;
}
