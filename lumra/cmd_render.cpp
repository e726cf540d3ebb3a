// lumra render: a material's sample slot as an image, or a contact sheet of the
// reflectance models at several glossiness values.
#include "commands.h"
#include "image_file.h"
#include "label_font.h"
#include "material_setup.h"
#include "memory_budget.h"
#include "number_text.h"
#include "panel_session.h"
#include "scene_materials.h"
#include "text.h"

#include "material/ilumramtl.h"
#include "shading/ishadestatistics.h"

#include "sample_slot.h"

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

// Material N (from 1) of the scene file; the scene's other materials go.
MtlHandle SceneMaterial(const PluginHost& host, const RenderOptions& options, std::string* error) {
    SceneMaterials scene;
    if (!LoadSceneMaterials(host, options.scene, &scene, error)) {
        *error = options.scene + ": " + *error;
        return MtlHandle();
    }
    for (const std::string& note : scene.notes) PrintError(note);
    const int count = static_cast<int>(scene.materials.size());
    if (options.material < 1 || options.material > count) {
        *error = options.scene + " holds " + std::to_string(count) + " material" +
                 (count == 1 ? "" : "s") + "; there is no material " +
                 std::to_string(options.material);
        return MtlHandle();
    }
    return std::move(scene.materials[static_cast<std::size_t>(options.material - 1)]);
}

// The material to render: a new one of the loaded plug-in, or one from a scene
// file; then the command's settings, `extra`, and the command's maps and drops.
MtlHandle MakeMaterial(const PluginHost& host, ClassDesc* cd, const RenderOptions& options,
                       const std::vector<Setting>& extra, std::string* error) {
    MtlHandle mtl =
        options.scene.empty() ? host.CreateMaterial(cd) : SceneMaterial(host, options, error);
    if (!mtl) {
        if (error->empty()) *error = "the material could not be created";
        return mtl;
    }
    if (mtl->ClassID() != LUMRA_MTL_CLASS_ID) {
        *error = "material " + std::to_string(options.material) + " is not a Lumra material";
        return MtlHandle();
    }
    std::vector<Setting> settings, maps;
    if (!ParseSettings(options.settings, &settings, error) ||
        !ParseSettings(options.maps, &maps, error))
        return MtlHandle();
    settings.insert(settings.end(), extra.begin(), extra.end());
    if (!ApplyMaterialSettings(mtl.get(), cd, settings, maps, extra.empty(), error))
        return MtlHandle();
    if (!options.drops.empty()) {
        // Files dropped on the material's panel, as the user would before looking at
        // the slot.
        std::vector<PanelDrop> drops;
        for (const std::string& text : options.drops) {
            PanelDrop d;
            if (!ParsePanelDrop(text, &d, error)) return MtlHandle();
            drops.push_back(d);
        }
        std::vector<DropOutcome> outcomes;
        if (!ApplyPanelDrops(mtl.get(), drops, &outcomes, error)) return MtlHandle();
        if (extra.empty()) {
            for (const DropOutcome& o : outcomes) std::printf("drop %s\n", DescribeDrop(o).c_str());
        }
    }
    return mtl;
}

// Renders one slot, with a progress line on a terminal.
std::vector<Color> Render(Mtl& mtl, SampleSlot& slot, int threads, const std::string& what) {
    const bool terminal = isatty(fileno(stderr));
    std::function<void(int)> progress;
    if (terminal) {
        progress = [&](int rows) {
            std::fprintf(stderr, "\rrendering %s: %3d%%", what.c_str(), rows * 100 / slot.Height());
            std::fflush(stderr);
        };
    }
    std::vector<Color> pixels = RenderSampleSlot(mtl, slot, threads, 0, progress);
    if (terminal) std::fprintf(stderr, "\r%*s\r", 30 + static_cast<int>(what.size()), "");
    return pixels;
}

// The contact sheet: the five reflectance models in columns, glossiness values in
// rows, of the material with its reflection on (multiplier 1) over a dark diffuse
// colour (0.05), unless --set gives those. Each cell is labelled.
std::vector<Color> RenderSheet(const PluginHost& host, ClassDesc* cd, const RenderOptions& options,
                               const SampleSlotBackground& background, int threads, int* width,
                               int* height, std::string* error) {
    static const char* const kModels[] = {"Phong", "TorrSparr", "Beckmann", "GGX", "TRGGX"};
    static const char* const kGlossiness[] = {"0.3", "0.5", "0.7", "0.85", "0.95"};
    constexpr int kColumns = 5, kRows = 5;
    const int cell = options.size;
    *width = cell * kColumns;
    *height = cell * kRows;
    std::vector<Color> sheet(static_cast<std::size_t>(*width) * *height, Color(0.0f, 0.0f, 0.0f));
    const int scale = cell >= 192 ? 2 : 1;
    auto given = [&](const char* prefix) {
        return std::any_of(options.settings.begin(), options.settings.end(),
                           [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    };
    const bool reflectionGiven = given("mtl_reflect_mult=");
    const bool diffuseGiven = given("mtl_diffuse_color=");

    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            std::vector<Setting> extra = {{"mtl_reflect_brdf", kModels[column]},
                                          {"mtl_refl_gloss", kGlossiness[row]}};
            if (!reflectionGiven) extra.push_back({"mtl_reflect_mult", "1"});
            if (!diffuseGiven) extra.push_back({"mtl_diffuse_color", "0.05,0.05,0.05"});
            MtlHandle mtl = MakeMaterial(host, cd, options, extra, error);
            if (!mtl) return {};
            SampleSlot slot(cell, cell, background);
            const std::string label = std::string(kModels[column]) + " " + kGlossiness[row];
            std::vector<Color> pixels = Render(*mtl, slot, threads, label);
            DrawLabel(pixels, cell, cell, 3 * scale, 3 * scale, label, Color(1.0f, 1.0f, 0.6f),
                      scale);
            for (int y = 0; y < cell; ++y) {
                std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * cell, cell,
                            sheet.begin() + (static_cast<std::ptrdiff_t>(row) * cell + y) * *width +
                                static_cast<std::ptrdiff_t>(column) * cell);
            }
        }
    }
    return sheet;
}

}  // namespace

bool ParseBackground(const std::string& text, SampleSlotBackground* background,
                     std::string* error) {
    if (text == "checker") {
        background->checker = true;
        return true;
    }
    Color colour;
    std::string why;
    if (!ParseColorText(text, &colour, &why)) {
        const auto detail = why.find(": ");
        *error = "--background: '" + text + "' is neither 'checker' nor a colour R,G,B" +
                 (detail == std::string::npos ? "" : why.substr(detail));
        return false;
    }
    background->checker = false;
    background->colour = colour;
    return true;
}

int RunRender(const HostOptions& hostOptions, const RenderOptions& options) {
    if (options.size < 8 || options.size > 8192) {
        std::fprintf(stderr, "lumra: --size must be between 8 and 8192\n");
        return 1;
    }
    SampleSlotBackground background;
    std::string error;
    if (!ParseBackground(options.background, &background, &error)) {
        PrintError(error);
        return 1;
    }
    const int threads = options.threads > 0
                            ? options.threads
                            : std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1,
                                         kMaxRenderThreads);
    // The picture and its encoded copy must fit before any work starts.
    constexpr std::uint64_t kBytesPerPixel = 28;
    const std::uint64_t side = static_cast<std::uint64_t>(options.size) * (options.sheet ? 5 : 1);
    std::string why;
    if (!MemoryAvailableFor(side * side * kBytesPerPixel, &why)) {
        std::fprintf(stderr, "lumra: a %llu x %llu picture needs about %s of memory, %s\n",
                     static_cast<unsigned long long>(side), static_cast<unsigned long long>(side),
                     FormatBytes(side * side * kBytesPerPixel).c_str(), why.c_str());
        return 1;
    }

    PluginHost host;
    ClassDesc* cd = nullptr;
    if (!LoadLumraMaterialClass(host, hostOptions, &cd, &error)) {
        PrintError(error);
        return 1;
    }
    auto* statistics =
        static_cast<IShadeStatistics*>(cd->GetInterface(LUMRA_SHADE_STATISTICS_INTERFACE));
    if (statistics) statistics->Reset();

    const auto start = std::chrono::steady_clock::now();
    std::vector<Color> image;
    int width = options.size, height = options.size;
    if (options.sheet) {
        image = RenderSheet(host, cd, options, background, threads, &width, &height, &error);
    } else {
        MtlHandle mtl = MakeMaterial(host, cd, options, {}, &error);
        if (mtl) {
            SampleSlot slot(width, height, background);
            image = Render(*mtl, slot, threads, "slot");
        }
    }
    if (image.empty()) {
        PrintError(error);
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WriteImageFile(options.output, width, height, reinterpret_cast<const float*>(image.data()),
                        error)) {
        PrintError(error);
        return 1;
    }

    std::printf("%s: %dx%d, %d thread%s, %.3f s", EscapeControls(options.output).c_str(), width,
                height, threads, threads == 1 ? "" : "s", seconds);
    if (statistics && statistics->Calls() > 0) {
        std::printf(", %.1f loop iterations per shaded pixel",
                    static_cast<double>(statistics->Iterations()) /
                        static_cast<double>(statistics->Calls()));
    }
    std::printf("\n");
    return 0;
}
