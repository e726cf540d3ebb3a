// Saving and loading a large scene: 10,000 materials, each with its own bitmap map;
// and loading 10,000 and 80,000 materials that share one bitmap map, whose times
// should differ by the ratio of the scene sizes (the texture's list of dependents
// must not grow the cost of each material with their number).
//   build/release/bench/scene_file_bench
#include "material/lumra_mtl.h"
#include "plugin/class_desc.h"

#include "scene_file.h"
#include "stdmat.h"
#include "winhost.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kMaterials = 10000;

ClassDesc* FindTestClass(SClass_ID sclass, const Class_ID& cid) {
    if (ClassDesc* cd = HostClassDirectory().FindClass(sclass, cid)) return cd;
    if (sclass == MATERIAL_CLASS_ID && cid == LUMRA_MTL_CLASS_ID) return &lumraMaterialClassDesc;
    return nullptr;
}

std::vector<ReferenceTarget*> MakeScene() {
    std::vector<ReferenceTarget*> mtls;
    for (int i = 0; i < kMaterials; ++i) {
        auto* mtl = static_cast<LumraMtl*>(static_cast<Mtl*>(lumraMaterialClassDesc.Create(FALSE)));
        mtl->SetName(MSTR(L"Material " + std::to_wstring(i)));
        mtl->pblock->SetValue(mtl_refl_gloss, 0, 0.5f + i * 1e-5f);
        BitmapTex* map = NewDefaultBitmapTex();
        map->SetMapName((L"textures/map" + std::to_wstring(i) + L".png").c_str());
        mtl->SetSubTexmap(kDiffuseMap, map);
        mtls.push_back(mtl);
    }
    return mtls;
}

std::filesystem::path ScenePath() {
    return std::filesystem::temp_directory_path() /
           ("lumra_bench_" + std::to_string(::getpid()) + ".lsc");
}

void BM_SaveScene(benchmark::State& state) {
    winhost::AttachLinkedModules();
    std::vector<ReferenceTarget*> scene = MakeScene();
    const auto path = ScenePath();
    std::string error;
    for (auto _ : state) {
        if (!SaveSceneFile(path, scene, FindTestClass, &error)) state.SkipWithError(error.c_str());
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    state.counters["materials"] = kMaterials;
    std::filesystem::remove(path);
    for (ReferenceTarget* m : scene) m->DeleteMe();
}

void BM_LoadScene(benchmark::State& state) {
    winhost::AttachLinkedModules();
    const auto path = ScenePath();
    std::string error;
    {
        std::vector<ReferenceTarget*> scene = MakeScene();
        SaveSceneFile(path, scene, FindTestClass, &error);
        for (ReferenceTarget* m : scene) m->DeleteMe();
    }
    for (auto _ : state) {
        LoadedScene loaded;
        if (!LoadSceneFile(path, FindTestClass, &loaded, &error))
            state.SkipWithError(error.c_str());
        state.PauseTiming();
        if (loaded.roots.size() != kMaterials) state.SkipWithError("materials missing");
        for (ReferenceTarget* m : loaded.roots) m->DeleteMe();
        state.ResumeTiming();
    }
    state.counters["materials"] = kMaterials;
    std::filesystem::remove(path);
}

// N materials with the one texture in their diffuse slot.
std::vector<ReferenceTarget*> MakeSharedScene(int n) {
    std::vector<ReferenceTarget*> mtls;
    BitmapTex* map = NewDefaultBitmapTex();
    map->SetMapName(L"textures/shared.png");
    for (int i = 0; i < n; ++i) {
        auto* mtl = static_cast<LumraMtl*>(static_cast<Mtl*>(lumraMaterialClassDesc.Create(FALSE)));
        mtl->SetSubTexmap(kDiffuseMap, map);
        mtls.push_back(mtl);
    }
    return mtls;
}

void BM_LoadSharedTexture(benchmark::State& state) {
    winhost::AttachLinkedModules();
    const int n = static_cast<int>(state.range(0));
    const auto path = ScenePath();
    std::string error;
    {
        std::vector<ReferenceTarget*> scene = MakeSharedScene(n);
        if (!SaveSceneFile(path, scene, FindTestClass, &error)) state.SkipWithError(error.c_str());
        for (ReferenceTarget* m : scene) m->DeleteMe();
    }
    for (auto _ : state) {
        LoadedScene loaded;
        if (!LoadSceneFile(path, FindTestClass, &loaded, &error))
            state.SkipWithError(error.c_str());
        state.PauseTiming();
        if (loaded.roots.size() != static_cast<std::size_t>(n))
            state.SkipWithError("materials missing");
        for (ReferenceTarget* m : loaded.roots) m->DeleteMe();
        state.ResumeTiming();
    }
    state.counters["materials"] = n;
    state.counters["time_per_material"] = benchmark::Counter(
        static_cast<double>(n) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    std::filesystem::remove(path);
}

BENCHMARK(BM_SaveScene)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadScene)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadSharedTexture)
    ->Unit(benchmark::kMillisecond)
    ->Arg(10000)
    ->Arg(80000)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
