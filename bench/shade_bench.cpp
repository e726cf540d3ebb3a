// The preview shader's cost: per shaded pixel and per iteration of its progressive
// loop for each reflectance model, the loop's unavoidable pieces measured alone,
// the loop lengths over a slot, and whole slots on one and two threads; and the
// loop's iterations as they were made with the named samplers, each estimate
// worked out from scratch, beside the prepared samplers the shader uses.
//
//   build/release/bench/shade_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
//   build/release/bench/shade_bench --benchmark_filter=Loop/ --benchmark_repetitions=9
//       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include "material/lumra_mtl.h"
#include "material/preview_environment.h"
#include "plugin/class_desc.h"
#include "shading/shade_random.h"
#include "shading/shade_statistics.h"

#include "brdf/microfacet_sampler.h"
#include "brdf/rotation.h"
#include "brdf/torrsparr_sampler.h"
#include "shading/ggx_sampler.h"
#include "shading/gloss.h"
#include "shading/phong_lobe.h"

#include "bitmaptex.h"
#include "latlong.h"
#include "sample_slot.h"
#include "winhost.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

namespace {

const char* const kModelNames[] = {"Phong", "TorrSparr", "Beckmann", "GGX", "TRGGX"};

struct Plugin {
    Plugin() { winhost::AttachLinkedModules(); }
};

LumraMtl* NewMaterial(int model, float gloss, bool maps) {
    static Plugin plugin;
    auto* mtl = static_cast<LumraMtl*>(static_cast<Mtl*>(lumraMaterialClassDesc.Create(FALSE)));
    IParamBlock2* pb = mtl->pblock;
    pb->SetValue(mtl_reflect_mult, 0, 1.0f);
    pb->SetValue(mtl_diffuse_color, 0, Color(0.05f, 0.05f, 0.05f));
    pb->SetValue(mtl_reflect_brdf, 0, model);
    pb->SetValue(mtl_refl_gloss, 0, gloss);
    if (model == kBrdfBeckmann || model == kBrdfTrggx)
        pb->SetValue(mtl_reflect_anisotropy, 0, 0.5f);
    if (maps) {
        // A reflection-colour map of the environment picture itself: a real
        // bitmap lookup per evaluation.
        BitmapTex* map = NewDefaultBitmapTex();
        map->SetMapName(kPreviewEnvironmentFile);
        pb->SetValue(mtl_reflect_map, 0, static_cast<Texmap*>(map));
        pb->SetValue(mtl_reflect_mult_on, 0, 1);
    }
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    return mtl;
}

// The sphere's pixels of a small slot, in a fixed order.
std::vector<std::pair<float, float>> SpherePixels(SampleSlot& slot) {
    std::vector<std::pair<float, float>> pixels;
    SampleSlotContext sc(slot);
    for (int y = 0; y < slot.Height(); ++y)
        for (int x = 0; x < slot.Width(); ++x)
            if (sc.SetPixel(x + 0.5f, y + 0.5f)) pixels.emplace_back(x + 0.5f, y + 0.5f);
    return pixels;
}

// Shade per pixel; the counters give the loop iterations per pixel and the cost of
// one iteration.
void BM_Shade(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    const bool mirror = state.range(1) != 0;
    const bool maps = state.range(2) != 0;
    LumraMtl* mtl = NewMaterial(model, mirror ? 1.0f : 0.7f, maps);
    SampleSlot slot(48, 48);
    const auto pixels = SpherePixels(slot);
    SampleSlotContext sc(slot);
    std::size_t i = 0;
    shadeStatistics.Reset();
    for (auto _ : state) {
        const auto& p = pixels[i++ % pixels.size()];
        sc.SetPixel(p.first, p.second);
        mtl->Shade(sc);
        benchmark::DoNotOptimize(sc.out.c);
    }
    const double iterations = static_cast<double>(shadeStatistics.Iterations()) /
                              static_cast<double>(shadeStatistics.Calls());
    state.counters["loop"] = iterations;
    state.counters["ns/loop"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * iterations,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(std::string(kModelNames[model]) + (mirror ? " mirror" : " glossy") +
                   (maps ? " maps" : ""));
    mtl->DeleteMe();
}
BENCHMARK(BM_Shade)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}, {0, 1}});

// The pieces every loop iteration needs: two draws, ...
void BM_TwoDraws(benchmark::State& state) {
    ShadeRandom r;
    r.Restart(7);
    for (auto _ : state) {
        const float u1 = r.Uniform();
        const float u2 = std::fmax(r.Uniform(), 1e-6f);
        benchmark::DoNotOptimize(u1);
        benchmark::DoNotOptimize(u2);
    }
}
BENCHMARK(BM_TwoDraws);

// ... one environment lookup ...
void BM_EnvironmentLookup(benchmark::State& state) {
    NewMaterial(kBrdfGgx, 0.7f, false)->DeleteMe();  // sets up previewEnvMap
    SampleSlot slot(48, 48);
    SampleSlotContext sc(slot);
    sc.SetPixel(20.5f, 20.5f);
    ShadeRandom r;
    r.Restart(3);
    for (auto _ : state) {
        const Point3 d =
            Normalize(Point3(r.Uniform() - 0.5f, r.Uniform() - 0.5f, r.Uniform() - 0.5f));
        benchmark::DoNotOptimize(sc.EvalEnvironMap(previewEnvMap, d));
    }
}
BENCHMARK(BM_EnvironmentLookup);

// ... the model's sampler (its lookup included) ...
void BM_Sampler(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    NewMaterial(model, 0.7f, false)->DeleteMe();
    SampleSlot slot(48, 48);
    const auto pixels = SpherePixels(slot);
    SampleSlotContext sc(slot);
    ShadeRandom r;
    r.Restart(11);
    const float g = 0.7f, e = 194.72f, a = 0.5f;
    Color out(0.0f, 0.0f, 0.0f);
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& p = pixels[i++ % pixels.size()];
        sc.SetPixel(p.first, p.second);
        const Point3 N = sc.Normal();
        const Point3 T = Normalize(CrossProd(N, Point3(0.0f, 1.0f, 0.0f)));
        const TangentPair tb{T, CrossProd(N, T)};
        const Point2 u(r.Uniform(), std::fmax(r.Uniform(), 1e-6f));
        switch (model) {
            case kBrdfPhong:
                SamplePhongLobe(out, sc, u, e, previewEnvMap, sc.ReflectVector());
                break;
            case kBrdfTorrSparr:
                SampleTorrSparrReflection(out, sc, u, e, previewEnvMap, N);
                break;
            case kBrdfBeckmann:
                SampleBeckmannReflection(out, sc, u, g, a, 0.0f, previewEnvMap, N, tb);
                break;
            case kBrdfGgx:
                SampleGgxReflection(out, sc, u, g, previewEnvMap, N);
                break;
            default:
                SampleTrggxReflection(out, sc, u, g, a, 0.0f, previewEnvMap, N, tb);
                break;
        }
        benchmark::DoNotOptimize(out);
    }
    state.SetLabel(kModelNames[model]);
}
BENCHMARK(BM_Sampler)->DenseRange(0, 4);

// ... and the brightness power.
void BM_BrightnessPower(benchmark::State& state) {
    float x = 0.37f;
    for (auto _ : state) {
        x = std::pow(x * 0.999f + 0.001f, 0.45454544f);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_BrightnessPower);

// Loop lengths over a slot: mean, 99th percentile and maximum.
void BM_LoopLengths(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    LumraMtl* mtl = NewMaterial(model, 0.7f, false);
    SampleSlot slot(64, 64);
    const auto pixels = SpherePixels(slot);
    SampleSlotContext sc(slot);
    std::vector<double> lengths;
    for (auto _ : state) {
        lengths.clear();
        for (const auto& p : pixels) {
            const auto before = shadeStatistics.Iterations();
            sc.SetPixel(p.first, p.second);
            mtl->Shade(sc);
            lengths.push_back(static_cast<double>(shadeStatistics.Iterations() - before));
        }
    }
    std::sort(lengths.begin(), lengths.end());
    double sum = 0.0;
    for (double l : lengths) sum += l;
    state.counters["mean"] = sum / static_cast<double>(lengths.size());
    state.counters["p99"] = lengths[lengths.size() * 99 / 100];
    state.counters["max"] = lengths.back();
    state.SetLabel(kModelNames[model]);
    mtl->DeleteMe();
}
BENCHMARK(BM_LoopLengths)->DenseRange(0, 4)->Iterations(1)->Unit(benchmark::kMillisecond);

// Loop iterations of a glossy reflection: as they were made (the named samplers,
// every estimate working out its lobe, frame and view anew; every environment
// lookup wrapped by the host in a context of its own, its texels found one arc
// tangent and one channel at a time), with the named samplers and the host's
// present lookup, and as the shader makes them now (the prepared samplers, set
// up once per pixel inside the timing, working out kSampleBatch estimates side
// by side). All draw the same pairs and fold the estimates into an average with
// the loop's brightness test, 64 iterations per pixel.
//
// range(0): model; range(1): glossiness in percent; range(2): anisotropy in
// percent (rotation 30 degrees).

// The preview environment as the host looked it up before it went from the
// direction straight to the texels: a map without that lookup, which the host
// evaluates through a context looking along the direction, and the arithmetic
// of then. The benchmark checks that it answers what the host answers now.
class EarlierEnvironment : public Texmap {
public:
    explicit EarlierEnvironment(BMTex* map) : map_(map) {}
    AColor EvalColor(ShadeContext& sc) override {
        const HostImage& img = map_->Image();
        if (img.Empty()) return AColor(0.0f, 0.0f, 0.0f, 1.0f);
        const Point3 dir = sc.VectorTo(sc.V(), REF_WORLD);
        const float horizontal = std::sqrt(dir.x * dir.x + dir.y * dir.y);
        float u = 0.5f + latlong::Atan2(-dir.x, -dir.y) * latlong::kInvTwoPi;
        float v = 0.5f + latlong::Atan2(dir.z, horizontal) * latlong::kInvPi;
        if (!(u >= 0.0f && u <= 1.0f && v >= 0.0f && v <= 1.0f)) u = v = 0.5f;
        const float x = u * static_cast<float>(img.width) - 0.5f;
        const float y = (1.0f - v) * static_cast<float>(img.height) - 0.5f;
        const int ix = static_cast<int>(x + 1.0f) - 1;
        const int iy = static_cast<int>(y + 1.0f) - 1;
        const float tx = x - static_cast<float>(ix);
        const float ty = y - static_cast<float>(iy);
        const auto loop = [](int i, int n) { return i < 0 ? i + n : (i >= n ? i - n : i); };
        const auto hold = [](int i, int n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); };
        const float* p00 = img.Pixel(loop(ix, img.width), hold(iy, img.height));
        const float* p10 = img.Pixel(loop(ix + 1, img.width), hold(iy, img.height));
        const float* p01 = img.Pixel(loop(ix, img.width), hold(iy + 1, img.height));
        const float* p11 = img.Pixel(loop(ix + 1, img.width), hold(iy + 1, img.height));
        const float w00 = (1.0f - tx) * (1.0f - ty);
        const float w10 = tx * (1.0f - ty);
        const float w01 = (1.0f - tx) * ty;
        const float w11 = tx * ty;
        return AColor(p00[0] * w00 + p10[0] * w10 + p01[0] * w01 + p11[0] * w11,
                      p00[1] * w00 + p10[1] * w10 + p01[1] * w01 + p11[1] * w11,
                      p00[2] * w00 + p10[2] * w10 + p01[2] * w01 + p11[2] * w11,
                      p00[3] * w00 + p10[3] * w10 + p01[3] * w01 + p11[3] * w11);
    }
    Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0.0f, 0.0f, 0.0f); }
    void Update(TimeValue, Interval&) override {}
    void Reset() override {}
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

protected:
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    BMTex* map_;
};

// Whether the earlier lookup answers what the host answers now, bit for bit.
bool SameLookups(SampleSlotContext& sc, Texmap* now, Texmap* earlier) {
    ShadeRandom r;
    r.Restart(5);
    for (int i = 0; i < 20000; ++i) {
        const Point3 d =
            Normalize(Point3(r.Uniform() - 0.5f, r.Uniform() - 0.5f, r.Uniform() - 0.5f));
        const AColor a = sc.EvalEnvironMap(now, d);
        const AColor b = sc.EvalEnvironMap(earlier, d);
        if (std::memcmp(&a, &b, sizeof a) != 0) return false;
    }
    return true;
}

// What the shader hands the reflection sampler at one pixel.
struct PixelInputs {
    Point3 N, R;
    TangentPair tangents;
};

PixelInputs InputsAt(SampleSlotContext& sc) {
    const Point3 N = sc.Normal();
    const Point3 Vr = RotationAboutAxis(Point3(1.0f, 0.0f, 0.0f), 1.5707964f).Apply(sc.OrigView());
    const Point3 T = Normalize(CrossProd(N, Vr));
    return PixelInputs{N, sc.ReflectVector(), TangentPair{T, CrossProd(N, T)}};
}

// The loop's own work on each estimate: layering, average and brightness test.
struct Average {
    Color avg{0.0f, 0.0f, 0.0f};
    float previous = 0.0f;
    int hits = 0;
    void Add(const Color& Rs, int n) {
        Color c(0.05f, 0.05f, 0.05f);
        c = c + (Rs - c) * 0.3f;
        const float inv = 1.0f / static_cast<float>(n);
        avg = avg * (1.0f - inv) + c * inv;
        const float brightness =
            std::pow(0.2126f * avg.r + 0.7152f * avg.g + 0.0722f * avg.b, 0.45454544f);
        if (!(std::fabs(previous - brightness) >= 0.001f)) ++hits;
        previous = brightness;
    }
};

constexpr int kLoopIterationsPerPixel = 64;

enum class LoopKind { kEarlier, kNamed, kPrepared };

template <LoopKind kKind>
void BM_Loop(benchmark::State& state) {
    constexpr bool kPrepared = kKind == LoopKind::kPrepared;
    const int model = static_cast<int>(state.range(0));
    const float g = static_cast<float>(state.range(1)) * 0.01f;
    const float a = static_cast<float>(state.range(2)) * 0.01f;
    const float r = 30.0f * 0.0027777778f;
    const float e = GlossToCosPower(g);
    NewMaterial(model, g, false)->DeleteMe();  // sets up previewEnvMap
    EarlierEnvironment earlier(static_cast<BMTex*>(previewEnvMap));
    Texmap* env = kKind == LoopKind::kEarlier ? static_cast<Texmap*>(&earlier) : previewEnvMap;
    SampleSlot slot(64, 64);
    const auto pixels = SpherePixels(slot);
    SampleSlotContext sc(slot);
    sc.SetPixel(pixels[0].first, pixels[0].second);
    if (!SameLookups(sc, previewEnvMap, &earlier)) {
        state.SkipWithError("the earlier lookup no longer answers what the host answers");
        return;
    }
    std::size_t pixel = 0;
    Average average;
    for (auto _ : state) {
        const auto& p = pixels[pixel++ % pixels.size()];
        sc.SetPixel(p.first, p.second);
        const PixelInputs in = InputsAt(sc);
        ShadeRandom random;
        random.Restart(static_cast<std::uint32_t>(pixel));
        Color Rs(0.0f, 0.0f, 0.0f);
        if constexpr (kPrepared) {
            std::variant<PreparedPhongLobe, PreparedTorrSparrReflection, PreparedBeckmannReflection,
                         PreparedGgxReflection, PreparedTrggxReflection>
                sampler(std::in_place_index<0>, sc, e, env, in.R);
            switch (model) {
                case kBrdfTorrSparr:
                    sampler.emplace<1>(sc, e, env, in.N);
                    break;
                case kBrdfBeckmann:
                    sampler.emplace<2>(sc, g, a, r, env, in.N, in.tangents);
                    break;
                case kBrdfGgx:
                    sampler.emplace<3>(sc, g, env, in.N);
                    break;
                case kBrdfTrggx:
                    sampler.emplace<4>(sc, g, a, r, env, in.N, in.tangents);
                    break;
                default:
                    break;
            }
            // As the shader does while at least kSampleBatch iterations are certain.
            for (int n = 1; n <= kLoopIterationsPerPixel; n += kSampleBatch) {
                Point2 u[kSampleBatch];
                for (Point2& pair : u) {
                    const float u1 = random.Uniform();
                    pair = Point2(u1, std::max(random.Uniform(), 1e-6f));
                }
                Color after[kSampleBatch];
                std::visit([&](const auto& s) { s.SampleBatch(Rs, u, after); }, sampler);
                for (int i = 0; i < kSampleBatch; ++i) average.Add(after[i], n + i);
            }
        } else {
            for (int n = 1; n <= kLoopIterationsPerPixel; ++n) {
                const float u1 = random.Uniform();
                const Point2 u(u1, std::max(random.Uniform(), 1e-6f));
                switch (model) {
                    case kBrdfPhong:
                        SamplePhongLobe(Rs, sc, u, e, env, in.R);
                        break;
                    case kBrdfTorrSparr:
                        SampleTorrSparrReflection(Rs, sc, u, e, env, in.N);
                        break;
                    case kBrdfBeckmann:
                        SampleBeckmannReflection(Rs, sc, u, g, a, r, env, in.N, in.tangents);
                        break;
                    case kBrdfGgx:
                        SampleGgxReflection(Rs, sc, u, g, env, in.N);
                        break;
                    default:
                        SampleTrggxReflection(Rs, sc, u, g, a, r, env, in.N, in.tangents);
                        break;
                }
                average.Add(Rs, n);
            }
        }
        benchmark::DoNotOptimize(average);
    }
    state.counters["ns/iteration"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kLoopIterationsPerPixel,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(std::string(kModelNames[model]) + (kKind == LoopKind::kEarlier ? " as it was"
                                                      : kKind == LoopKind::kNamed ? " named"
                                                                                  : " prepared"));
}

void LoopSettings(benchmark::internal::Benchmark* b) {
    b->ArgNames({"model", "gloss", "aniso"});
    for (int model = 0; model < 5; ++model) {
        const bool anisotropic = model == kBrdfBeckmann || model == kBrdfTrggx;
        for (int gloss : {30, 70, 95}) {
            b->Args({model, gloss, 0});
            if (anisotropic) b->Args({model, gloss, 50});
        }
    }
}
BENCHMARK(BM_Loop<LoopKind::kEarlier>)->Name("Loop/literal")->Apply(LoopSettings);
BENCHMARK(BM_Loop<LoopKind::kNamed>)->Name("Loop/named")->Apply(LoopSettings);
BENCHMARK(BM_Loop<LoopKind::kPrepared>)->Name("Loop/prepared")->Apply(LoopSettings);

// Whole slots of the default material.
void BM_Slot(benchmark::State& state) {
    static Plugin plugin;
    auto* mtl = static_cast<Mtl*>(lumraMaterialClassDesc.Create(FALSE));
    const int size = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    SampleSlot slot(size, size);
    for (auto _ : state) benchmark::DoNotOptimize(RenderSampleSlot(*mtl, slot, threads));
    mtl->DeleteMe();
}
BENCHMARK(BM_Slot)->ArgsProduct({{88, 256}, {1, 2}})->Unit(benchmark::kMillisecond)->UseRealTime();

// A context that offers no seeding: every call seeded from the shared counter.
class CounterSeededContext : public SampleSlotContext {
public:
    using SampleSlotContext::SampleSlotContext;
    BaseInterface* GetInterface(Interface_ID id) override {
        return id == LUMRA_SHADE_SEED_INTERFACE ? nullptr : SampleSlotContext::GetInterface(id);
    }
};

// The cost of reproducible seeding: a 128-pixel slot of a glossy GGX material on
// one thread, seeded by the slot (the rows' first calls counted beforehand, one
// interface query per call) beside the shared counter's literal path.
void BM_SlotSeeding(benchmark::State& state) {
    LumraMtl* mtl = NewMaterial(kBrdfGgx, 0.6f, false);
    const bool seeded = state.range(0) != 0;
    SampleSlot slot(128, 128);
    std::vector<Color> pixels(128 * 128);
    for (auto _ : state) {
        if (seeded) {
            pixels = RenderSampleSlot(*mtl, slot, 1);
        } else {
            Interval valid = FOREVER;
            mtl->Update(0, valid);
            CounterSeededContext sc(slot);
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 128; ++x)
                    pixels[static_cast<std::size_t>(y) * 128 + x] =
                        sc.ShadePixel(*mtl, x + 0.5f, y + 0.5f);
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetLabel(seeded ? "seeded by the slot" : "shared counter");
    mtl->DeleteMe();
}
BENCHMARK(BM_SlotSeeding)->ArgName("seeded")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
