// libFuzzer target: the scene loader on arbitrary bytes. Every material that loads is
// then used as the lumra commands use one: as `render --scene F --material N` does,
// the scene is loaded and its other objects go; then a parameter is set (--set), a
// map put in a slot (--map), the panel opened and an image dropped on a map button
// (--drop), and a few pixels of the sample slot shaded. Then what is left is saved
// again, and the copy must load and save to the same bytes: anything else would lose
// the user's work.
//
// Which parameter, slot and button a material gets depends on the input, so that
// the corpus reaches all of them. scripts/fuzz.sh closes the target's standard error
// (textures report files they cannot read there); findings are reported through the
// sanitizers.
#include "fuzz/sample_scenes.h"
#include "lumra/material_setup.h"
#include "lumra/panel_session.h"
#include "lumra/text.h"
#include "material/lumra_mtl.h"
#include "plugin/class_desc.h"
#include "ui/map_drop.h"

#include "sample_slot.h"
#include "scene_file.h"
#include "winhost.h"
#include "winui.h"

#include <sanitizer/common_interface_defs.h>
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A 2 x 2 picture (uncompressed true-colour TGA) for the maps the target puts in
// slots, so that shading reads a real image. Its path, or empty when it cannot be made.
std::string MakeImage() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("lumra_fuzz_" + std::to_string(::getpid()));
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const auto path = dir / "map.tga";
    const unsigned char tga[18 + 12] = {0,   0,   2,   0,   0, 0,   0,  0,  0,   0,
                                        0,   0,   2,   0,   2, 0,   24, 0,  255, 128,
                                        128, 128, 255, 128, 0, 200, 40, 40, 40,  200};
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(tga), sizeof tga);
    out.close();
    return out ? path.string() : std::string();
}

std::uint32_t Hash(const std::uint8_t* data, std::size_t size) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

// A value of the parameter's type, as --set gives it; empty for a map.
std::string ValueFor(const ParamDef& def) {
    switch (def.type) {
        case TYPE_FLOAT:
            return "0.5";
        case TYPE_RGBA:
            return "0.2,0.4,0.8";
        case TYPE_BOOL:
            return "true";
        case TYPE_INT:
            return "1";
        default:
            return "";
    }
}

// The first parameter from index `start` on, round the block, that `wantMap` selects.
const ParamDef* PickParam(ParamBlockDesc2* desc, std::uint32_t start, bool wantMap) {
    const int count = desc->Count();
    for (int k = 0; k < count; ++k) {
        const ParamDef& def = desc->GetParamDefByIndex(static_cast<int>((start + k) % count));
        if ((def.type == TYPE_TEXMAP) == wantMap) return &def;
    }
    return nullptr;
}

// Scenes with more materials are tried for their first ones only: each material
// costs a load of the whole scene.
constexpr std::size_t kMaxMaterials = 8;

[[noreturn]] void Finding(const std::string& what) {
    __sanitizer_report_error_summary(("scene_loader_fuzz: " + what).c_str());
    std::abort();
}

// --set and --map, --drop on a map button, then render: as the commands do them.
void UseAsCommandsDo(LumraMtl* mtl, std::uint32_t choice, const std::string& image) {
    ParamBlockDesc2* desc = &lumraParamBlockDesc;
    const ParamDef* param = PickParam(desc, choice, false);
    const ParamDef* map = PickParam(desc, choice >> 8, true);
    std::vector<Setting> settings, maps;
    if (param) settings.push_back({ToUtf8(param->int_name), ValueFor(*param)});
    if (map) maps.push_back({ToUtf8(map->int_name), ((choice >> 16) & 1 ? "normal:" : "") + image});
    std::string error;
    ApplyMaterialSettings(mtl, &lumraMaterialClassDesc, settings, maps, false, &error);

    {
        PanelSession panel;
        if (panel.Open(mtl, &error)) {
            const int button = kDropTargetIds[(choice >> 20) % kDropTargetIds.size()];
            const RECT r = winhost::WindowRectInParent(GetDlgItem(panel.Page(), button));
            panel.Drop({POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, image});
        }
    }

    SampleSlot slot(4, 4);
    RenderSampleSlot(*mtl, slot, 1);
}

void SaveAndLoadAgain(const std::vector<ReferenceTarget*>& roots, const ClassLookup& classes) {
    std::vector<unsigned char> saved, again;
    std::string error;
    if (!WriteScene(roots, classes, &saved, &error))
        Finding("a scene that loaded cannot be saved again: " + error);
    LoadedScene copy;
    if (!ReadScene(saved.data(), saved.size(), classes, &copy, &error))
        Finding("a saved scene does not load: " + error);
    const bool written = WriteScene(copy.roots, classes, &again, &error);
    for (ReferenceTarget* r : copy.roots) r->DeleteMe();
    if (!written || again != saved) Finding("a saved scene, loaded, saves to other bytes");
}

// Loads the scene and keeps root `keep` alone (all of them when it is -1).
bool LoadKeeping(const std::uint8_t* data, std::size_t size, const ClassLookup& classes, int keep,
                 std::vector<ReferenceTarget*>* kept) {
    LoadedScene scene;
    std::string error;
    if (!ReadScene(data, size, classes, &scene, &error)) return false;
    for (std::size_t n = 0; n < scene.roots.size(); ++n) {
        if (keep < 0 || static_cast<std::size_t>(keep) == n)
            kept->push_back(scene.roots[n]);
        else
            scene.roots[n]->DeleteMe();
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool attached = winhost::AttachLinkedModules();
    static const std::string image = MakeImage();
    if (!attached || image.empty()) return 0;
    static const ClassLookup classes = LinkedSceneClasses();

    // Which roots are materials, from a first load that is saved again as it is.
    std::vector<ReferenceTarget*> roots;
    if (!LoadKeeping(data, size, classes, -1, &roots)) return 0;
    std::vector<int> materials;
    for (std::size_t n = 0; n < roots.size(); ++n) {
        if (dynamic_cast<LumraMtl*>(roots[n]) && materials.size() < kMaxMaterials)
            materials.push_back(static_cast<int>(n));
    }
    SaveAndLoadAgain(roots, classes);
    for (ReferenceTarget* r : roots) r->DeleteMe();

    const std::uint32_t choice = Hash(data, size);
    for (int n : materials) {
        std::vector<ReferenceTarget*> kept;
        if (!LoadKeeping(data, size, classes, n, &kept) || kept.size() != 1)
            Finding("a scene that loaded once does not load the same again");
        UseAsCommandsDo(static_cast<LumraMtl*>(kept[0]), choice + static_cast<std::uint32_t>(n),
                        image);
        SaveAndLoadAgain(kept, classes);
        kept[0]->DeleteMe();
    }
    return 0;
}
