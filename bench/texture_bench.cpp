// Texture lookups as the preview shader makes them: the environment by
// direction, and a bitmap by texture coordinates.
#include "tests/support/test_slot_context.h"

#include "bitmaptex.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr const MCHAR* kStudio = L"c:\\[Lumra]\\pluginFiles\\material\\EnvMatEdit.hdr";
constexpr int kCount = 4096;  // inputs cycled through, so that lookups are not all cached

BMTex* NewTexture(bool environment) {
    auto* tex = static_cast<BMTex*>(NewDefaultBitmapTex());
    if (environment) {
        tex->GetUVGen()->InitSlotType(MAPSLOT_ENVIRON);
        tex->GetUVGen()->SetCoordMapping(0);
        tex->SetFilterType(FILTER_NADA);
    }
    tex->SetMapName(kStudio);
    return tex;
}

// Scattered directions (range(0) = 0), which miss the caches as rough glossy
// samples do, or directions sweeping slowly over the sphere (1), as mirror
// reflections of neighbouring pixels do.
std::vector<Point3> Directions(bool coherent) {
    std::mt19937 rng(7);
    std::normal_distribution<float> gauss;
    std::vector<Point3> dirs(kCount);
    for (size_t i = 0; i < dirs.size(); ++i) {
        if (coherent) {
            const float t = static_cast<float>(i) / kCount;
            const float z = 2.0f * t - 1.0f, r = std::sqrt(1.0f - z * z), a = 40.0f * t;
            dirs[i] = Point3(r * std::cos(a), r * std::sin(a), z);
        } else {
            dirs[i] = Normalize(Point3(gauss(rng), gauss(rng), gauss(rng)));
        }
    }
    return dirs;
}

// Through the host's EvalEnvironMap, as the shader calls it.
void BM_EnvironmentLookup(benchmark::State& state) {
    BMTex* tex = NewTexture(true);
    const std::vector<Point3> dirs = Directions(state.range(0) != 0);
    TestSlotContext sc;
    if (tex->Image().Empty()) state.SkipWithError("the studio picture did not load");
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sc.EvalEnvironMap(tex, dirs[i]));
        i = (i + 1) & (kCount - 1);
    }
    tex->DeleteMe();
}
BENCHMARK(BM_EnvironmentLookup)->Arg(0)->Arg(1);

// The texture evaluated directly with the context's view.
void BM_EnvironmentEvalColor(benchmark::State& state) {
    BMTex* tex = NewTexture(true);
    const std::vector<Point3> dirs = Directions(state.range(0) != 0);
    TestSlotContext sc;
    tex->Image();
    size_t i = 0;
    for (auto _ : state) {
        sc.view = dirs[i];
        benchmark::DoNotOptimize(tex->EvalColor(sc));
        i = (i + 1) & (kCount - 1);
    }
    tex->DeleteMe();
}
BENCHMARK(BM_EnvironmentEvalColor)->Arg(0)->Arg(1);

// The same picture in a texture slot: the bilinear fetch with placement only.
void BM_TextureBilinearLookup(benchmark::State& state) {
    BMTex* tex = NewTexture(false);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    std::vector<Point3> uvs(kCount);
    for (size_t k = 0; k < uvs.size(); ++k) {
        const float t = static_cast<float>(k) / kCount;
        uvs[k] = state.range(0) ? Point3(std::fmod(40.0f * t, 1.0f), t, 0.0f)
                                : Point3(uniform(rng), uniform(rng), 0.0f);
    }
    TestSlotContext sc;
    tex->Image();
    size_t i = 0;
    for (auto _ : state) {
        sc.uvw = uvs[i];
        benchmark::DoNotOptimize(tex->EvalColor(sc));
        i = (i + 1) & (kCount - 1);
    }
    tex->DeleteMe();
}
BENCHMARK(BM_TextureBilinearLookup)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
