// lumra_make_library: writes a material library (a scene file of many Lumra
// materials) for benchmarks and tests: every reflectance model, glossiness from
// rough to mirror, anisotropy and its rotation, clear and glossy refraction,
// Fresnel on and off, translucency, emission, and bitmap maps on some of them. The
// materials follow from their index alone, so a library of N materials is the
// first N materials of any larger one.
//
//   lumra_make_library OUT.lsc COUNT [--textures DIR] [--names FILE] [--plugins DIR]
//
// --textures writes four small pictures into DIR and puts them in the maps of
// every tenth material (a normal map on every twentieth); --names takes the
// materials' names from the lines of FILE, in order (the rest are named after
// their settings).
#include "lumra/image_file.h"
#include "lumra/material_setup.h"
#include "lumra/scene_materials.h"
#include "lumra/text.h"

#include "host_paths.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kModels[] = {"Phong", "TorrSparr", "Beckmann", "GGX", "TRGGX"};

// A small deterministic generator: the same numbers for material i in every run.
struct Numbers {
    explicit Numbers(unsigned i) : state(i * 2654435761u + 12345u) {}
    float Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    }
    unsigned state;
};

std::string Text(float v) { return FormatFloat(std::round(v * 1000.0f) / 1000.0f); }
std::string Rgb(float r, float g, float b) { return Text(r) + "," + Text(g) + "," + Text(b); }

// Four pictures: a checker, stripes, a radial gradient and a noise of blocks.
bool WriteTextures(const std::filesystem::path& dir, std::vector<std::string>* files,
                   std::string* error) {
    std::filesystem::create_directories(dir);
    constexpr int kSide = 128;
    for (int t = 0; t < 4; ++t) {
        std::vector<float> rgb(static_cast<std::size_t>(kSide) * kSide * 3);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                float v = 0.0f;
                switch (t) {
                    case 0:
                        v = ((x / 16 + y / 16) & 1) ? 0.9f : 0.1f;
                        break;
                    case 1:
                        v = 0.5f + 0.5f * std::sin(static_cast<float>(x) * 0.4f);
                        break;
                    case 2:
                        v = std::hypot(x - 64.0f, y - 64.0f) / 90.0f;
                        break;
                    default:
                        v = Numbers(static_cast<unsigned>(x / 8 * 31 + y / 8)).Next();
                        break;
                }
                float* p = &rgb[(static_cast<std::size_t>(y) * kSide + x) * 3];
                p[0] = v;
                p[1] = v * (0.6f + 0.1f * static_cast<float>(t));
                p[2] = 1.0f - v * 0.5f;
            }
        }
        const std::string file = Utf8Path(dir / ("texture_" + std::to_string(t) + ".png"));
        if (!WriteImageFile(file, kSide, kSide, rgb.data(), *error)) return false;
        files->push_back(file);
    }
    return true;
}

// Material i's settings, maps and name.
void Describe(int i, const std::vector<std::string>& textures, std::vector<Setting>* settings,
              std::vector<Setting>* maps, std::string* name) {
    Numbers n(static_cast<unsigned>(i));
    const int model = i % 5;
    const float gloss = i % 13 == 0 ? 1.0f : 0.2f + 0.78f * n.Next();
    auto set = [&](const char* key, const std::string& value) {
        settings->push_back({key, value});
    };
    set("mtl_diffuse_color", Rgb(n.Next(), n.Next(), n.Next()));
    set("mtl_reflect_mult", Text(0.3f + 0.7f * n.Next()));
    set("mtl_reflect_brdf", kModels[model]);
    set("mtl_refl_gloss", Text(gloss));
    set("mtl_refl_fresnel_on", i % 3 == 0 ? "false" : "true");
    set("mtl_reflect_ior", Text(1.2f + 2.0f * n.Next()));
    std::string what = std::string(kModels[model]) + " gloss " + Text(gloss);
    if ((model == 2 || model == 4) && i % 2 == 0) {
        set("mtl_reflect_anisotropy", Text(n.Next()));
        set("mtl_reflect_rotation", Text(360.0f * n.Next()));
        what += " anisotropic";
    }
    if (i % 7 == 0) {
        set("mtl_transparency_mult", Text(0.5f + 0.5f * n.Next()));
        set("mtl_transp_gloss", Text(i % 14 == 0 ? 1.0f : 0.5f + 0.5f * n.Next()));
        set("mtl_ior", Text(1.3f + 0.5f * n.Next()));
        what += " refractive";
    }
    if (i % 11 == 0) {
        set("mtl_translucency_mult", Text(0.5f * n.Next()));
        set("mtl_roughness_mult", Text(n.Next()));
    }
    if (i % 17 == 0) set("mtl_emission_mult", Text(0.3f * n.Next()));
    if (!textures.empty() && i % 10 == 0) {
        const std::string& picture = textures[static_cast<std::size_t>(i / 10) % textures.size()];
        maps->push_back({"mtl_diffuse_map", picture});
        if (i % 20 == 0) maps->push_back({"mtl_normal_map", "normal:" + picture});
        if (i % 30 == 0) maps->push_back({"mtl_refl_gl_map", picture});
        what += " mapped";
    }
    *name = "Material " + std::to_string(i + 1) + " " + what;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: lumra_make_library OUT.lsc COUNT [--textures DIR] [--names FILE] "
                 "[--plugins DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string out = argv[1];
    char* end = nullptr;
    const long count = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || count < 1 || count > 10000000) return Usage();
    HostOptions hostOptions;
    std::string textureDir, namesFile;
    for (int a = 3; a + 1 < argc; a += 2) {
        const std::string option = argv[a];
        if (option == "--textures")
            textureDir = argv[a + 1];
        else if (option == "--names")
            namesFile = argv[a + 1];
        else if (option == "--plugins")
            hostOptions.pluginDir = argv[a + 1];
        else
            return Usage();
    }
    if (argc % 2 == 0) return Usage();

    std::string error;
    std::vector<std::string> textures, names;
    if (!textureDir.empty() && !WriteTextures(textureDir, &textures, &error)) {
        PrintError(error);
        return 1;
    }
    if (!namesFile.empty()) {
        std::ifstream in(namesFile, std::ios::binary);
        for (std::string line; std::getline(in, line);) names.push_back(line);
    }
    PluginHost host;
    ClassDesc* cd = nullptr;
    if (!LoadLumraMaterialClass(host, hostOptions, &cd, &error)) {
        PrintError(error);
        return 1;
    }
    std::vector<MtlHandle> materials;
    std::vector<Mtl*> roots;
    for (int i = 0; i < count; ++i) {
        std::vector<Setting> settings, maps;
        std::string name;
        Describe(i, textures, &settings, &maps, &name);
        if (static_cast<std::size_t>(i) < names.size()) name = names[static_cast<std::size_t>(i)];
        MtlHandle mtl = NewMaterial(host, cd, settings, maps, &error);
        if (!mtl) {
            PrintError("material " + std::to_string(i + 1) + ": " + error);
            return 1;
        }
        mtl->SetName(MSTR(FromUtf8(name).c_str()));
        Interval valid = FOREVER;
        mtl->Update(0, valid);
        roots.push_back(mtl.get());
        materials.push_back(std::move(mtl));
    }
    if (!SaveSceneMaterials(host, out, roots, &error)) {
        PrintError(out + ": not saved: " + error);
        return 1;
    }
    return 0;
}
