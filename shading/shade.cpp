// The material's preview shading, for sample slots and the host's own renderer:
// diffuse and translucent light from the scene's lights, then reflections and
// refractions of the preview environment averaged until they settle, emission,
// exposure, a soft tone curve and the opacity cut-out.
#include "material/lumra_mtl.h"
#include "material/preview_environment.h"
#include "shading/gloss.h"
#include "shading/ishadeseed.h"
#include "shading/shade_random.h"
#include "shading/shade_statistics.h"
#include "shading/tone_curve.h"

#include "brdf/local_frame.h"
#include "brdf/microfacet_sampler.h"
#include "brdf/rotation.h"
#include "brdf/sample_batch.h"
#include "brdf/torrsparr_sampler.h"
#include "shading/ggx_sampler.h"
#include "shading/oren_nayar.h"
#include "shading/phong_lobe.h"

#include "imtl.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <variant>

std::atomic<std::uint32_t> shadeCallCounter{0};

ShadeRandom& ThreadShadeRandom() {
    thread_local ShadeRandom random;
    return random;
}

namespace {

// Loop iterations whose brightness changed by less than kSettled end the loop
// once there have been kSettledIterations of them.
constexpr float kSettled = 0.001f;
constexpr int kSettledIterations = 32;
constexpr float kExposure = 1.5f;

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
float MaxChannel(const Color& c) { return std::fmax(std::fmax(c.r, c.g), c.b); }
float Luminance(const Color& c) { return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b; }
Color Clamped(Color c) {
    c.ClampMinMax();
    return c;
}

// The mirror: the environment straight along one direction, looked up for every
// estimate.
class MirrorLookup {
public:
    MirrorLookup(ShadeContext& sc, Texmap* env, const Point3& direction)
        : sc_(&sc), env_(env), direction_(direction) {}
    void Sample(Color& out, const Point2&) const {
        out = Color(sc_->EvalEnvironMap(env_, direction_));
    }
    void SampleBatch(Color& out, const Point2 (&u)[kSampleBatch],
                     Color (&after)[kSampleBatch]) const {
        for (int i = 0; i < kSampleBatch; ++i) {
            Sample(out, u[i]);
            after[i] = out;
        }
    }

private:
    ShadeContext* sc_;
    Texmap* env_;
    Point3 direction_;
};

// A loop iteration's reflection or refraction estimate, prepared once per call;
// without a sampler the estimate stays as it is.
using Estimate =
    std::variant<std::monostate, MirrorLookup, PreparedPhongLobe, PreparedTorrSparrReflection,
                 PreparedBeckmannReflection, PreparedGgxReflection, PreparedTrggxReflection>;

void Draw(const Estimate& estimate, Color& out, const Point2& u) {
    std::visit(
        [&](const auto& sampler) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(sampler)>, std::monostate>)
                sampler.Sample(out, u);
        },
        estimate);
}

// kSampleBatch iterations' estimates: after[i] is out as i + 1 draws leave it.
void DrawBatch(const Estimate& estimate, Color& out, const Point2 (&u)[kSampleBatch],
               Color (&after)[kSampleBatch]) {
    std::visit(
        [&](const auto& sampler) {
            if constexpr (std::is_same_v<std::decay_t<decltype(sampler)>, std::monostate>) {
                for (Color& a : after) a = out;
            } else {
                sampler.SampleBatch(out, u, after);
            }
        },
        estimate);
}

// The quarter turn about x that carries the view into the plane the tangent is
// taken from.
const RowMatrix3 kQuarterTurnAboutX = RotationAboutAxis(Point3(1.0f, 0.0f, 0.0f), 1.5707964f);

}  // namespace

// A layer's colour: its map (if maps are evaluated) tinted by the colour when
// the tint switch is on, times the multiplier; without a map, colour × multiplier.
Color LumraMtl::ModulatedColor(ShadeContext& sc, int slot, const Color& color, float mult,
                               BOOL tint) {
    Texmap* map = texmaps[slot];
    if (map && sc.doMaps) {
        const Color m(map->EvalColor(sc));
        return tint ? m * color * mult : m * mult;
    }
    return color * mult;
}

// A layer's scalar: the map's mono value times the value, or the value alone.
float LumraMtl::ModulatedScalar(ShadeContext& sc, int slot, float value) {
    Texmap* map = texmaps[slot];
    return (map && sc.doMaps) ? map->EvalMono(sc) * value : value;
}

Color LumraMtl::EvalTransparencyColor(ShadeContext& sc) {
    Color fog(1.0f, 1.0f, 1.0f);
    if (!cached.transparencyThinOn) {
        const float d = Clamp01(cached.fogMultiplier * 0.05f);
        fog = (cached.fogColor - 1.0f) * d + 1.0f;
    }
    const Color base = ModulatedColor(sc, kTransparencyMap, cached.transparencyColor,
                                      TransparencyMult(), cached.transparencyMultOn);
    return Clamped(base * fog);
}

void LumraMtl::Shade(ShadeContext& sc) {
    // 1. Entry.
    if (gbufID) sc.SetGBufferID(static_cast<int>(gbufID));
    sc.shadow = FALSE;
    const Point3 N0 = sc.Normal();
    Point3 N = N0;
    bool perturbed = false;
    Point3 L(0.0f, 0.0f, 0.0f);

    // 2, 3. Diffuse and translucency colours.
    const Color Cd = Clamped(ModulatedColor(sc, kDiffuseMap, cached.diffuseColor,
                                            cached.diffuseMult, cached.diffuseMultOn));
    Color Ct = Clamped(ModulatedColor(sc, kTranslucencyMap, cached.translucencyColor,
                                      cached.translucencyMult, cached.translucencyMultOn));
    const float ts = MaxChannel(Ct);

    // 4. Lights. Each light's relief perturbation starts from the normal left by the
    // previous one. A light in front of the surface ends translucency for the
    // lights after it.
    Color A(0.0f, 0.0f, 0.0f);
    Color TA(0.0f, 0.0f, 0.0f);
    Texmap* relief = texmaps[kNormalMap];
    for (int i = 0; i < sc.nLights; ++i) {
        LightDesc* light = sc.Light(i);
        if (!light) continue;
        Color lc(1.0f, 1.0f, 1.0f);
        float dotNL = 0.0f;
        float diffuseCoef = 0.0f;
        if (relief && sc.doMaps) {
            perturbed = true;
            const Point3 P = relief->EvalNormalPerturb(sc);
            const float k = Clamp01(1.0f - cached.bumpAmount * 0.2f);
            Point3 Pk = 5.0f * (P + k * (-P));
            if (sc.backFace) Pk = -Pk;
            N = Normalize(sc.Normal() + Pk);
            sc.SetNormal(N);
        }
        light->Illuminate(sc, N, lc, L, dotNL, diffuseCoef);
        float back = 0.0f;
        if (dotNL >= 0.0f) {
            Ct = Color(0.0f, 0.0f, 0.0f);
        } else {
            back = dotNL;
            dotNL = 0.0f;
        }
        Color D = Cd * lc * dotNL;
        if (cached.roughnessMult > 0.0f)
            D = D * OrenNayarFactor(L, -sc.OrigView(), N, cached.roughnessMult);
        TA = TA + lc * Ct * std::fabs(back);
        const float w = Clamp01(ts);
        const Color S = A + D;
        A = S + (TA - S) * w;
    }
    // 5.
    const Color lit = A;

    // 6. Tangent frame of the anisotropic samplers.
    const Point3 Vr = kQuarterTurnAboutX.Apply(sc.OrigView());
    Point3 T0 = CrossProd(N, Vr);
    if (T0 == Point3(0.0f, 0.0f, 0.0f)) {
        const Point3 A1 = CrossProd(N, Point3(0.0f, 1.0f, 0.0f));
        const Point3 A2 = CrossProd(N, Point3(0.0f, 0.0f, 1.0f));
        T0 = Length(A1) > Length(A2) ? A1 : A2;
    }
    const Point3 T = Normalize(T0);
    const TangentPair tangents{T, CrossProd(N, T)};

    // 7. Directions and background from the context.
    sc.SetIOR(cached.ior);
    const Point3 R = sc.ReflectVector();
    const Point3 RT = sc.RefractVector(cached.ior);
    Color bg(0.0f, 0.0f, 0.0f), bgTransp(0.0f, 0.0f, 0.0f);
    sc.GetBGColor(bg, bgTransp, FALSE);

    // 8. Transparency.
    const Color Cx = EvalTransparencyColor(sc);
    const float xw = Clamp01(MaxChannel(Cx));

    // 9. Opacity: the share of the background that shows through.
    float o = 1.0f;
    if (Texmap* opacity = texmaps[kOpacityMap]; opacity && sc.doMaps) {
        o = std::fmin(MaxChannel(Color(opacity->EvalColor(sc))), 1.0f);
        if (!cached.opacitySmooth) o = o >= 0.5f ? 1.0f : 0.0f;
    }
    const float cw = Clamp01(1.0f - o);

    // 10, 11. Glossiness and cosine powers; a cosine power of 1 or more always
    // takes the mirror path.
    float g, e, gT, eT;
    if (cached.reflGlossOrCos == 0) {
        const float x = ModulatedScalar(sc, kReflGlossMap, cached.reflGloss);
        g = Clamp01(x);
        e = GlossToCosPower(x);
    } else {
        g = e = cached.reflectCospower;
    }
    if (cached.transpGlossOrCos == 0) {
        const float x = ModulatedScalar(sc, kTranspGlossMap, cached.transpGloss);
        gT = Clamp01(x);
        eT = GlossToCosPower(x);
    } else {
        gT = eT = cached.transparencyCospower;
    }

    // 12. Anisotropy, and its rotation in turns (a map gives it directly).
    const float a = Clamp01(ModulatedScalar(sc, kReflectAnisotropyMap, cached.reflectAnisotropy));
    Texmap* rotationMap = texmaps[kReflectRotationMap];
    const float r = (rotationMap && sc.doMaps) ? Clamp01(rotationMap->EvalMono(sc))
                                               : Clamp01(cached.reflectRotation * 0.0027777778f);

    // 13. Reflection colour and strength.
    const Color Cr = Clamped(ModulatedColor(sc, kReflectMap, cached.reflectColor,
                                            cached.reflectMult, cached.reflectMultOn));
    const float s = cached.reflectExtrusion == kExtrusionStrongest ? MaxChannel(Cr) : Luminance(Cr);

    // 14. Fresnel weight of a dielectric (the conductor approximation without
    // extinction).
    float F = 1.0f;
    if (cached.reflFresnelOn) {
        const float c = std::fabs(sc.Normal() % sc.OrigView());
        const float n = cached.reflectIor;
        const float n2 = n * n;
        const float parallel = (n2 - 2.0f * n * c + c * c) / (n2 + 2.0f * n * c + c * c);
        const float perpendicular =
            (n2 * c * c - 2.0f * n * c + 1.0f) / (n2 * c * c + 2.0f * n * c + 1.0f);
        F = 0.5f * std::fabs(parallel + perpendicular);
    }
    const float rw = Clamp01(F * s);

    // 15. This call's random stream, drawn from a copy that lives in registers
    // and is handed back to the thread at the end. Its starting value is the host's choice
    // when the context offers one, else the next value of the shared counter.
    ShadeRandom& threadRandom = ThreadShadeRandom();
    BaseInterface* seedSource = sc.GetInterface(LUMRA_SHADE_SEED_INTERFACE);
    threadRandom.Restart(seedSource && seedSource->GetID() == LUMRA_SHADE_SEED_INTERFACE
                             ? static_cast<IShadeSeed*>(seedSource)->ShadeSeed()
                             : AdvanceShadeCallCounter());
    ShadeRandom random = threadRandom;

    // 16. Progressive loop: samples are averaged until kSettledIterations iterations,
    // counted over the whole loop, have moved the average's brightness by less than
    // kSettled. A brightness that is not a number counts as settled. What the
    // estimates need of this shading point is worked out before the loop.
    Texmap* env = previewEnvMap;
    Estimate reflection;
    Estimate refraction;
    if (env) {
        if (s > 0.0f) {
            if (g >= 1.0f) {
                reflection.emplace<MirrorLookup>(sc, env, R);
            } else {
                switch (cached.reflectBrdf) {
                    case kBrdfPhong:
                        reflection.emplace<PreparedPhongLobe>(sc, e, env, R);
                        break;
                    case kBrdfTorrSparr:
                        reflection.emplace<PreparedTorrSparrReflection>(sc, e, env, N);
                        break;
                    case kBrdfBeckmann:
                        reflection.emplace<PreparedBeckmannReflection>(sc, g, a, r, env, N,
                                                                       tangents);
                        break;
                    case kBrdfGgx:
                        reflection.emplace<PreparedGgxReflection>(sc, g, env, N);
                        break;
                    case kBrdfTrggx:
                        reflection.emplace<PreparedTrggxReflection>(sc, g, a, r, env, N, tangents);
                        break;
                    default:
                        break;
                }
            }
        }
        if (Luminance(Cx) > 0.0f) {
            if (gT >= 1.0f)
                refraction.emplace<MirrorLookup>(sc, env, RT);
            else
                refraction.emplace<PreparedPhongLobe>(sc, eT, env, RT);
        }
    }
    Color Rs(0.0f, 0.0f, 0.0f), Ts(0.0f, 0.0f, 0.0f), Avg(0.0f, 0.0f, 0.0f);
    float previous = 0.0f;
    int hits = 0;
    int iteration = 1;
    // One iteration's layering, average and brightness test.
    const auto settle = [&](const Color& reflected, const Color& refracted) {
        Color c = lit;
        c = c + (refracted * Cx - c) * xw;
        c = c + (reflected * Cr - c) * rw;
        c = c + (bg - c) * cw;
        const float inv = 1.0f / static_cast<float>(iteration);
        Avg = Avg * (1.0f - inv) + c * inv;
        const float brightness = std::pow(Luminance(Avg), 0.45454544f);
        if (!(std::fabs(previous - brightness) >= kSettled)) ++hits;
        previous = brightness;
        ++iteration;
    };
    // Draws in the loop's order; a uniform number is never NaN, so max is fmax
    // here, without the call.
    const auto draw = [&random] {
        const float u1 = random.Uniform();
        return Point2(u1, std::max(random.Uniform(), 1e-6f));
    };
    while (hits < kSettledIterations) {
        if (env && kSettledIterations - hits >= kSampleBatch) {
            // Each iteration adds at most one hit, so at least kSampleBatch more
            // iterations follow: their estimates are worked out side by side.
            Point2 u[kSampleBatch];
            for (Point2& pair : u) pair = draw();
            Color reflected[kSampleBatch], refracted[kSampleBatch];
            DrawBatch(reflection, Rs, u, reflected);
            DrawBatch(refraction, Ts, u, refracted);
            for (int i = 0; i < kSampleBatch; ++i) settle(reflected[i], refracted[i]);
        } else {
            if (env) {
                const Point2 u = draw();
                Draw(reflection, Rs, u);
                Draw(refraction, Ts, u);
            }
            settle(Rs, Ts);
        }
    }
    threadRandom = random;
    shadeStatistics.Record(static_cast<std::uint64_t>(iteration - 1));

    // 17, 18. Emission, exposure and the tone curve x / (1 + x⁵)^(1/5).
    const Color Ce = ModulatedColor(sc, kEmissionMap, cached.emissionColor, cached.emissionMult,
                                    cached.emissionMultOn);
    Color y;
    for (int ch = 0; ch < 3; ++ch) y[ch] = ToneCurve((Avg[ch] + Ce[ch]) * kExposure);

    // 19. The cut-out once more, after the tone curve.
    sc.out.c = y + (bg - y) * cw;

    // 20.
    if (perturbed) sc.SetNormal(N0);
}
