// Writes a set of small scene files made by the project's own code: materials of
// the current layout, of both earlier layouts, with shared maps and with animation.
// They are the command-line tests' fixtures and the fuzzer's starting corpus.
//
//   scene_fixtures DIR
#include "io/legacy_block.h"
#include "material/lumra_mtl.h"
#include "plugin/class_desc.h"

#include "scene_file.h"
#include "stdmat.h"
#include "winhost.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

LumraMtl* NewMaterial(const wchar_t* name) {
    auto* mtl = static_cast<LumraMtl*>(static_cast<Mtl*>(lumraMaterialClassDesc.Create(FALSE)));
    mtl->SetName(name);
    return mtl;
}

BitmapTex* NewMap(const wchar_t* name, const wchar_t* file) {
    BitmapTex* map = NewDefaultBitmapTex();
    map->SetName(name);
    map->SetMapName(file);
    return map;
}

// A material whose block is stored in an earlier layout, as files of that version hold it.
LumraMtl* LegacyMaterial(DWORD version) {
    LumraMtl* mtl = NewMaterial(version == 0 ? L"Layout 0" : L"Layout 1");
    mtl->pblock->SetValue(mtl_reflect_brdf, 0, 4);
    mtl->pblock->SetValue(mtl_reflect_mult, 0, 0.5f);
    mtl->pblock->SetValue(mtl_diffuse_color, 0, Color(0.2f, 0.4f, 0.8f));
    IParamBlock* old = NewLegacyParamBlock(version, mtl->pblock);
    mtl->ReplaceReference(kParamBlockRef, old);
    mtl->SetSubTexmap(kDiffuseMap, NewMap(L"Diffuse", L"diffuse.png"));
    return mtl;
}

bool Write(const std::filesystem::path& file, const std::vector<LumraMtl*>& mtls) {
    std::string error;
    const bool ok =
        SaveSceneFile(file, std::vector<ReferenceTarget*>(mtls.begin(), mtls.end()), &error);
    if (!ok) std::fprintf(stderr, "scene_fixtures: %s: %s\n", file.string().c_str(), error.c_str());
    for (LumraMtl* m : mtls) m->DeleteMe();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scene_fixtures DIR\n");
        return 2;
    }
    if (!winhost::AttachLinkedModules()) return 1;
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    bool ok = true;

    ok &= Write(dir / "default.lsc", {NewMaterial(L"Default")});

    LumraMtl* a = NewMaterial(L"Gold");
    LumraMtl* b = NewMaterial(L"Glass");
    BitmapTex* shared = NewMap(L"Scratches", L"scratches.png");
    a->SetSubTexmap(kReflGlossMap, shared);
    b->SetSubTexmap(kTranspGlossMap, shared);
    b->pblock->SetValue(mtl_transparency_mult, 0, 1.0f);
    a->cached.specularColor = Color(1.0f, 0.8f, 0.3f);
    AnimateOn();
    a->pblock->SetValue(mtl_reflect_color, 100, Color(1.0f, 0.7f, 0.2f));
    AnimateOff();
    ok &= Write(dir / "shared_maps.lsc", {a, b});

    ok &= Write(dir / "layout0.lsc", {LegacyMaterial(0)});
    ok &= Write(dir / "layout1.lsc", {LegacyMaterial(1)});
    return ok ? 0 : 1;
}
