#include "data/studio_environment.h"

#include "latlong.h"

#include <algorithm>
#include <cmath>

// The set, in world directions (+Z up; the sample slot's camera looks along -Y,
// so +Y is behind it and +X on its left):
// - a key soft box, large and bright, up and in front of the object on the
//   camera's left, which gives glossy spheres their main highlight;
// - a dimmer, cooler fill box low on the camera's right;
// - a thin strip light high behind the object, for a rim on the top edge;
// - grey walls brightening towards a soft horizon, and a darker floor.
// Everything is plain single-precision arithmetic so that the file is the same
// whenever it is made again.

namespace {

struct Rgb {
    float r, g, b;
};

Rgb operator*(const Rgb& c, float s) { return {c.r * s, c.g * s, c.b * s}; }
Rgb operator+(const Rgb& a, const Rgb& b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

float SmoothStep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

constexpr float kDegree = 0.0174532925f;

// A rectangular light seen from the centre: its centre direction, its half
// width and height as angles, and its radiance.
struct SoftBox {
    Point3 centre;
    float halfWidth, halfHeight;
    Rgb radiance;
};

// How much of direction d falls on the box, 0 to 1, with edges softened by one
// degree and a gentle fall-off away from the box's centre, as diffusers have.
float Coverage(const SoftBox& box, const Point3& d) {
    const Point3 f = Normalize(box.centre);
    const Point3 right = Normalize(CrossProd(f, Point3(0.0f, 0.0f, 1.0f)));
    const Point3 up = CrossProd(right, f);
    const float forward = DotProd(d, f);
    if (forward <= 0.0f) return 0.0f;
    const float a = std::fabs(std::atan2(DotProd(d, right), forward));
    const float b = std::fabs(std::atan2(DotProd(d, up), forward));
    const float edge = 1.0f * kDegree;
    const float inside = (1.0f - SmoothStep(box.halfWidth - edge, box.halfWidth + edge, a)) *
                         (1.0f - SmoothStep(box.halfHeight - edge, box.halfHeight + edge, b));
    const float falloff = 1.0f - 0.25f * (a / box.halfWidth) * (a / box.halfWidth);
    return inside * std::max(falloff, 0.0f);
}

const SoftBox kKey{
    Point3(0.55f, 0.6f, 0.58f), 24.0f * kDegree, 16.0f * kDegree, {40.0f, 38.5f, 36.0f}};
const SoftBox kFill{
    Point3(-0.85f, 0.45f, 0.15f), 14.0f * kDegree, 22.0f * kDegree, {5.0f, 5.4f, 6.0f}};
const SoftBox kRim{
    Point3(0.0f, -0.5f, 0.87f), 40.0f * kDegree, 3.0f * kDegree, {12.0f, 12.0f, 12.0f}};

Rgb Studio(const Point3& d) {
    const float z = d.z;
    // Walls: bright near the horizon, darker overhead.
    const Rgb wall =
        Rgb{1.0f, 0.97f, 0.92f} * (0.18f + 0.40f * std::pow(1.0f - std::max(z, 0.0f), 3.0f));
    // Floor: a neutral grey, darker straight down.
    const Rgb floor = Rgb{0.9f, 0.9f, 0.88f} * (0.22f - 0.08f * std::max(-z, 0.0f));
    const float above = SmoothStep(-0.015f, 0.015f, z);
    Rgb c = floor * (1.0f - above) + wall * above;
    // A soft band of light along the horizon.
    c = c + Rgb{0.35f, 0.34f, 0.32f} * std::exp(-(z / 0.04f) * (z / 0.04f));
    for (const SoftBox* box : {&kKey, &kFill, &kRim}) {
        const float k = Coverage(*box, d);
        if (k > 0.0f) c = c * (1.0f - k) + box->radiance * k;
    }
    return c;
}

}  // namespace

std::vector<float> MakeStudioEnvironment(int width, int height) {
    std::vector<float> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    constexpr int kSub = 2;  // 2 x 2 samples a pixel keep the box edges smooth
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb sum{0.0f, 0.0f, 0.0f};
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const float u =
                        (static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSub) /
                        static_cast<float>(width);
                    const float v =
                        1.0f - (static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSub) /
                                   static_cast<float>(height);
                    sum = sum + Studio(latlong::UVToDirection(u, v));
                }
            }
            float* out = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) +
                               static_cast<size_t>(x)) *
                              3];
            out[0] = sum.r / (kSub * kSub);
            out[1] = sum.g / (kSub * kSub);
            out[2] = sum.b / (kSub * kSub);
        }
    }
    return rgb;
}
