#include "fuzz/sample_scenes.h"

#include "io/legacy_block.h"
#include "material/lumra_mtl.h"
#include "plugin/class_desc.h"

#include "normal_bump.h"
#include "scene_file.h"
#include "stdmat.h"

#include <algorithm>
#include <array>
#include <cstring>

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

// Two materials with a map in common, one of them animated.
std::vector<LumraMtl*> SharedMaps() {
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
    return {a, b};
}

// An object of every class that the host and the plug-in save: the material and its
// block, bitmaps with their coordinates, a Normal Bump map, and a block of an earlier
// layout.
std::vector<LumraMtl*> EveryClass() {
    LumraMtl* mtl = NewMaterial(L"Every class");
    mtl->SetSubTexmap(kDiffuseMap, NewMap(L"Oak", L"oak.png"));
    mtl->SetSubTexmap(kNormalMap, NewNormalBumpTex(NewMap(L"Relief", L"relief.png")));
    AnimateOn();
    mtl->pblock->SetValue(mtl_refl_gloss, 200, 0.9f);
    AnimateOff();
    return {mtl, LegacyMaterial(1)};
}

// Names that would steer a terminal if printed as they are.
std::vector<LumraMtl*> ControlNames() {
    LumraMtl* mtl = NewMaterial(L"Red\x1b[31m alert\x07\x202e");
    mtl->SetSubTexmap(kDiffuseMap, NewMap(L"line\nmaterial 2 \"fake\"", L"map.png"));
    return {mtl};
}

// The offsets of the reference lists of objects with `count` references.
std::vector<std::size_t> ReferenceLists(const std::vector<unsigned char>& bytes,
                                        std::uint32_t count) {
    // A reference list chunk: id 0x2033, its size (header, count, entries), the count.
    std::array<unsigned char, 10> head = {0x33, 0x20};
    const std::uint32_t size = 6 + 4 + 4 * count;
    std::memcpy(&head[2], &size, 4);
    std::memcpy(&head[6], &count, 4);
    std::vector<std::size_t> found;
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), head.begin(), head.end())) != bytes.end(); ++at)
        found.push_back(static_cast<std::size_t>(at - bytes.begin()) + head.size());
    return found;
}

// Two materials sharing the first one's block: the second one's reference to its own
// block is made to name the first one's, which the host itself never does.
bool ShareFirstBlock(std::vector<unsigned char>* bytes, std::string* error) {
    const std::vector<std::size_t> lists =
        ReferenceLists(*bytes, static_cast<std::uint32_t>(kParamBlockRef + 1));
    if (lists.size() != 2) {
        *error = "shared_block: the two materials' reference lists were not found";
        return false;
    }
    const std::size_t entry = 4 * static_cast<std::size_t>(kParamBlockRef);
    std::memcpy(bytes->data() + lists[1] + entry, bytes->data() + lists[0] + entry, 4);
    return true;
}

}  // namespace

ClassLookup LinkedSceneClasses() { return SceneClassLookup({&lumraMaterialClassDesc}); }

bool MakeSampleScenes(std::vector<SampleScene>* scenes, std::string* error) {
    const ClassLookup classes = LinkedSceneClasses();
    auto add = [&](const char* name, const std::vector<LumraMtl*>& mtls) {
        SampleScene scene{name, {}};
        std::string why;
        const bool ok = WriteScene(std::vector<ReferenceTarget*>(mtls.begin(), mtls.end()), classes,
                                   &scene.bytes, &why);
        for (LumraMtl* m : mtls) m->DeleteMe();
        if (!ok) {
            *error = std::string(name) + ": " + why;
            return false;
        }
        scenes->push_back(std::move(scene));
        return true;
    };
    if (!add("default", {NewMaterial(L"Default")}) || !add("shared_maps", SharedMaps()) ||
        !add("layout0", {LegacyMaterial(0)}) || !add("layout1", {LegacyMaterial(1)}) ||
        !add("shared_block", {NewMaterial(L"Owner"), NewMaterial(L"Borrower")}) ||
        !add("every_class", EveryClass()) || !add("control_names", ControlNames()))
        return false;
    for (SampleScene& s : *scenes) {
        if (s.name == "shared_block" && !ShareFirstBlock(&s.bytes, error)) return false;
    }
    return true;
}
