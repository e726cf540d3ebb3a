// Time per call of the microfacet distributions and of every environment
// sampler, with a constant environment. As in the preview's progressive loop,
// a view (one pixel) is kept for 32 calls while the random pair changes on
// every call; the distributions see a new direction on every call.

// Project headers
#include "brdf/beckmann.h"
#include "brdf/microfacet_sampler.h"
#include "brdf/torrsparr_sampler.h"
#include "brdf/trowbridge_reitz.h"
#include "shading/ggx_sampler.h"
#include "shading/oren_nayar.h"
#include "shading/phong_lobe.h"
#include "tests/support/test_shade_context.h"

// Standard headers
#include <array>
#include <cmath>
#include <cstdint>

#include <benchmark/benchmark.h>

namespace {

constexpr int kInputs = 1024;

struct Inputs {
    std::array<Point2, kInputs> u;
    std::array<Point3, kInputs> views;  // world views towards a surface facing +z
    std::array<Point3, kInputs> local;  // unit directions above the surface
};

const Inputs& SharedInputs() {
    static const Inputs inputs = [] {
        Inputs in;
        std::uint32_t state = 12345u;
        const auto next = [&state] {
            state = state * 1664525u + 1013904223u;
            return static_cast<float>(state >> 8) * 0x1p-24f;
        };
        for (int i = 0; i < kInputs; ++i) {
            in.u[i] = Point2(next(), std::max(next(), 1e-6f));
            // Views up to about 84° from the normal.
            const float cosTheta = 0.1f + 0.9f * next();
            const float sinTheta = std::sqrt(1.0f - cosTheta * cosTheta);
            const float phi = 6.2831855f * next();
            in.local[i] = Point3(sinTheta * std::cos(phi), sinTheta * std::sin(phi), cosTheta);
            in.views[i] = -in.local[i];
        }
        return in;
    }();
    return inputs;
}

const Point3 kUp(0.0f, 0.0f, 1.0f);
const TangentPair kAxes{Point3(1.0f, 0.0f, 0.0f), Point3(0.0f, 1.0f, 0.0f)};

// Cosine powers the shade driver derives from glossiness 0.3, 0.7 and 0.95.
float CosinePower(int glossinessPercent) {
    switch (glossinessPercent) {
        case 30:
            return 4.65f;
        case 70:
            return 71.3f;
        default:
            return 16300.0f;
    }
}

template <float (*Function)(const Point3&, float, float)>
void BM_Distribution(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Function(in.local[i], 0.3f, 0.15f));
        i = (i + 1) & (kInputs - 1);
    }
}
BENCHMARK(BM_Distribution<BeckmannNdf>)->Name("BeckmannNdf");
BENCHMARK(BM_Distribution<BeckmannSmithLambda>)->Name("BeckmannSmithLambda");
BENCHMARK(BM_Distribution<TrowbridgeReitzNdf>)->Name("TrowbridgeReitzNdf");
BENCHMARK(BM_Distribution<TrowbridgeReitzSmithLambda>)->Name("TrowbridgeReitzSmithLambda");

template <float (*Ndf)(const Point3&, float, float), float (*Lambda)(const Point3&, float, float)>
void BM_NdfAndLambda(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Ndf(in.local[i], 0.3f, 0.15f));
        benchmark::DoNotOptimize(Lambda(in.local[(i + 1) & (kInputs - 1)], 0.3f, 0.15f));
        i = (i + 1) & (kInputs - 1);
    }
}
BENCHMARK(BM_NdfAndLambda<BeckmannNdf, BeckmannSmithLambda>)->Name("BeckmannNdf+SmithLambda");
BENCHMARK(BM_NdfAndLambda<TrowbridgeReitzNdf, TrowbridgeReitzSmithLambda>)
    ->Name("TrowbridgeReitzNdf+SmithLambda");

// range(0): 0 isotropic (α 0.3), 1 anisotropic (α 0.3 × 0.08)
template <Point3 (*Sampler)(const Point3&, float, float, float, float)>
void BM_VisibleNormal(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    const float alphaY = state.range(0) ? 0.08f : 0.3f;
    unsigned i = 0;
    for (auto _ : state) {
        const Point2& u = in.u[i & (kInputs - 1)];
        benchmark::DoNotOptimize(
            Sampler(in.local[(i >> 5) & (kInputs - 1)], 0.3f, alphaY, u.x, u.y));
        ++i;
    }
}
BENCHMARK(BM_VisibleNormal<BeckmannSampleVisibleNormal>)
    ->Name("BeckmannSampleVisibleNormal")
    ->ArgName("aniso")
    ->DenseRange(0, 1);
BENCHMARK(BM_VisibleNormal<TrowbridgeReitzSampleVisibleNormal>)
    ->Name("TrowbridgeReitzSampleVisibleNormal")
    ->ArgName("aniso")
    ->DenseRange(0, 1);

void BM_GgxSampleVisibleNormal(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    unsigned i = 0;
    for (auto _ : state) {
        const Point2& u = in.u[i & (kInputs - 1)];
        benchmark::DoNotOptimize(
            GgxSampleVisibleNormal(in.local[(i >> 5) & (kInputs - 1)], 0.3f, u.x, u.y));
        ++i;
    }
}
BENCHMARK(BM_GgxSampleVisibleNormal)->Name("GgxSampleVisibleNormal");

// range(0): glossiness in percent; range(1): anisotropy in percent
template <decltype(&SampleBeckmannReflection) Sampler>
void BM_MicrofacetReflection(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    const float glossiness = static_cast<float>(state.range(0)) * 0.01f;
    const float anisotropy = static_cast<float>(state.range(1)) * 0.01f;
    TestShadeContext sc(in.views[0]);
    Color out(0.0f, 0.0f, 0.0f);
    unsigned i = 0;
    for (auto _ : state) {
        sc.SetOrigView(in.views[(i >> 5) & (kInputs - 1)]);
        Sampler(out, sc, in.u[i & (kInputs - 1)], glossiness, anisotropy, 0.2f, nullptr, kUp,
                kAxes);
        benchmark::DoNotOptimize(out);
        ++i;
    }
}
BENCHMARK(BM_MicrofacetReflection<SampleBeckmannReflection>)
    ->Name("SampleBeckmannReflection")
    ->ArgNames({"gloss", "aniso"})
    ->ArgsProduct({{30, 70, 95}, {0, 50}});
BENCHMARK(BM_MicrofacetReflection<SampleTrggxReflection>)
    ->Name("SampleTrggxReflection")
    ->ArgNames({"gloss", "aniso"})
    ->ArgsProduct({{30, 70, 95}, {0, 50}});

void BM_SampleTorrSparrReflection(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    const float n = CosinePower(static_cast<int>(state.range(0)));
    TestShadeContext sc(in.views[0]);
    Color out(0.0f, 0.0f, 0.0f);
    unsigned i = 0;
    for (auto _ : state) {
        sc.SetOrigView(in.views[(i >> 5) & (kInputs - 1)]);
        SampleTorrSparrReflection(out, sc, in.u[i & (kInputs - 1)], n, nullptr, kUp);
        benchmark::DoNotOptimize(out);
        ++i;
    }
}
BENCHMARK(BM_SampleTorrSparrReflection)
    ->Name("SampleTorrSparrReflection")
    ->ArgName("gloss")
    ->Arg(30)
    ->Arg(70)
    ->Arg(95);

void BM_SampleGgxReflection(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    const float glossiness = static_cast<float>(state.range(0)) * 0.01f;
    TestShadeContext sc(in.views[0]);
    Color out(0.0f, 0.0f, 0.0f);
    unsigned i = 0;
    for (auto _ : state) {
        sc.SetOrigView(in.views[(i >> 5) & (kInputs - 1)]);
        SampleGgxReflection(out, sc, in.u[i & (kInputs - 1)], glossiness, nullptr, kUp);
        benchmark::DoNotOptimize(out);
        ++i;
    }
}
BENCHMARK(BM_SampleGgxReflection)
    ->Name("SampleGgxReflection")
    ->ArgName("gloss")
    ->Arg(30)
    ->Arg(70)
    ->Arg(95);

void BM_SamplePhongLobe(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    const float n = CosinePower(static_cast<int>(state.range(0)));
    TestShadeContext sc(in.views[0]);
    Color out(0.0f, 0.0f, 0.0f);
    unsigned i = 0;
    for (auto _ : state) {
        // The lobe axis: the mirror direction of the view.
        SamplePhongLobe(out, sc, in.u[i & (kInputs - 1)], n, nullptr,
                        in.local[(i >> 5) & (kInputs - 1)]);
        benchmark::DoNotOptimize(out);
        ++i;
    }
}
BENCHMARK(BM_SamplePhongLobe)->Name("SamplePhongLobe")->ArgName("gloss")->Arg(30)->Arg(70)->Arg(95);

void BM_OrenNayarFactor(benchmark::State& state) {
    const Inputs& in = SharedInputs();
    unsigned i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(OrenNayarFactor(in.local[i & (kInputs - 1)],
                                                 in.local[(i + 7) & (kInputs - 1)], kUp, 0.5f));
        ++i;
    }
}
BENCHMARK(BM_OrenNayarFactor)->Name("OrenNayarFactor");

}  // namespace
