// Texture lookups as the preview shader makes them: the environment by
// direction, and a bitmap by texture coordinates. And the reading of a texture's
// picture: 4096 x 4096 JPEG, PNG and OpenEXR files decoded by the host's readers
// (/new) beside the decoders they replaced (/old, bench/legacy_image_readers.h).
#include "bench/legacy_image_readers.h"
#include "lumra/image_file.h"
#include "tests/support/test_slot_context.h"

#include "bitmaptex.h"
#include "host_image.h"

#include <benchmark/benchmark.h>
// The benchmark makes its JPEG with stb's writer, which the program no longer links.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
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

// --- Decoding pictures ------------------------------------------------------------

constexpr int kPictureSide = 4096;

// A photograph's worth of detail: smooth light, edges and fine noise, linear RGB.
std::vector<float> PhotoLike() {
    std::vector<float> rgb(static_cast<std::size_t>(kPictureSide) * kPictureSide * 3);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> noise(-0.03f, 0.03f);
    for (int y = 0; y < kPictureSide; ++y)
        for (int x = 0; x < kPictureSide; ++x) {
            const float u = static_cast<float>(x) / kPictureSide,
                        v = static_cast<float>(y) / kPictureSide;
            const float tile = ((x / 256 + y / 256) % 2) ? 0.15f : 0.0f;
            float* p =
                &rgb[(static_cast<std::size_t>(y) * kPictureSide + static_cast<std::size_t>(x)) *
                     3];
            p[0] = 0.2f + 0.5f * u + tile + noise(rng);
            p[1] = 0.3f + 0.4f * std::sin(6.0f * v) * 0.5f + noise(rng);
            p[2] = 0.25f + 0.3f * u * v + noise(rng);
        }
    return rgb;
}

void Append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data),
                static_cast<unsigned char*>(data) + size);
}

// The three files, made once: JPEG at quality 90 (4:2:0), and PNG (8 bits) and
// OpenEXR (32-bit floats, ZIP) as the command-line host writes them.
const std::vector<unsigned char>& PictureFile(const std::string& format) {
    static const std::map<std::string, std::vector<unsigned char>> files = [] {
        const std::vector<float> rgb = PhotoLike();
        std::vector<unsigned char> bytes(rgb.size());
        for (std::size_t i = 0; i < rgb.size(); ++i)
            bytes[i] = static_cast<unsigned char>(
                std::pow(std::clamp(rgb[i], 0.0f, 1.0f), 1.0f / 2.2f) * 255.0f + 0.5f);
        std::map<std::string, std::vector<unsigned char>> made;
        stbi_write_jpg_to_func(Append, &made["jpeg"], kPictureSide, kPictureSide, 3, bytes.data(),
                               90);
        const std::string dir =
            std::filesystem::temp_directory_path() / ("lumra_bench_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        std::string error;
        for (const char* ext : {"png", "exr"}) {
            const std::string path = dir + "/picture." + ext;
            if (!WriteImageFile(path, kPictureSide, kPictureSide, rgb.data(), error))
                std::fprintf(stderr, "texture_bench: %s\n", error.c_str());
            std::ifstream in(path, std::ios::binary);
            made[ext].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::filesystem::remove_all(dir);
        return made;
    }();
    return files.at(format);
}

// range(0): 0 the host's reader, 1 the replaced decoder.
void DecodePicture(benchmark::State& state, const std::string& format) {
    const std::vector<unsigned char>& file = PictureFile(format);
    const bool old = state.range(0) != 0;
    for (auto _ : state) {
        HostImage image;
        std::string error;
        const bool ok = !old              ? DecodeHostImage(file.data(), file.size(), image, error)
                        : format == "exr" ? ReadExrAsBefore(file.data(), file.size(), image, error)
                                          : ReadWithStb(file.data(), file.size(), image, error);
        if (!ok || image.width != kPictureSide) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(image.rgba.data());
    }
    state.SetLabel(std::to_string(file.size() >> 10) + " KB file");
}
void BM_DecodeJpeg(benchmark::State& state) { DecodePicture(state, "jpeg"); }
void BM_DecodePng(benchmark::State& state) { DecodePicture(state, "png"); }
void BM_DecodeExr(benchmark::State& state) { DecodePicture(state, "exr"); }
BENCHMARK(BM_DecodeJpeg)
    ->ArgName("old")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_DecodePng)
    ->ArgName("old")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_DecodeExr)
    ->ArgName("old")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
