// The preview shader's cost: per shaded pixel and per iteration of its progressive
// loop for each reflectance model, the loop's unavoidable pieces measured alone,
// the loop lengths over a slot, and whole slots on one and two threads.
//
//   build/release/bench/shade_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
#include "material/lumra_mtl.h"
#include "material/preview_environment.h"
#include "plugin/class_desc.h"
#include "shading/shade_random.h"
#include "shading/shade_statistics.h"

#include "brdf/microfacet_sampler.h"
#include "brdf/torrsparr_sampler.h"
#include "shading/ggx_sampler.h"
#include "shading/phong_lobe.h"

#include "sample_slot.h"
#include "winhost.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
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

}  // namespace
