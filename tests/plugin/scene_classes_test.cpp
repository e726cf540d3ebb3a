// Every class that the host and the loaded plug-in can save comes back from a scene
// file as it was saved, so that no save writes a file that cannot be loaded.
#include "dll_dir.h"
#include "mtlbase.h"
#include "scene_file.h"
#include "stdmat.h"
#include "texmap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using ClassKey = std::pair<SClass_ID, Class_ID>;

ClassKey KeyOf(ClassDesc* cd) { return {cd->SuperClassID(), cd->ClassID()}; }

// The classes of the object and of everything it references.
void CollectClasses(ReferenceTarget* obj, std::set<ClassKey>* classes) {
    if (!obj) return;
    classes->insert({obj->SuperClassID(), obj->ClassID()});
    for (int i = 0; i < obj->NumRefs(); ++i) CollectClasses(obj->GetReference(i), classes);
}

TEST(SceneClasses, AnObjectOfEveryClassComesBackAsItWasSaved) {
    DllDir dlls;
    std::string error;
    ASSERT_TRUE(dlls.LoadDll(std::filesystem::path(LUMRA_TEST_MODULE).wstring(), &error)) << error;
    const ClassLookup classes = SceneClassLookup(&dlls);
    // The plug-in's classes first: their objects bring the host's objects that only
    // live inside others (a material's parameter block).
    std::vector<ClassDesc*> savable = dlls.Classes();
    for (ClassDesc* cd : HostClassDirectory().Classes()) savable.push_back(cd);
    ASSERT_GT(savable.size(), HostClassDirectory().Classes().size());

    // A new object of each class not yet in the scene, every empty map slot of it
    // holding a bitmap texture, so that its references are saved too.
    std::vector<ReferenceTarget*> roots;
    std::set<ClassKey> held;
    for (ClassDesc* cd : savable) {
        if (held.count(KeyOf(cd))) continue;
        auto* obj = dynamic_cast<ReferenceTarget*>(static_cast<Animatable*>(cd->Create(FALSE)));
        ASSERT_NE(obj, nullptr) << cd->ClassName();
        if (auto* m = dynamic_cast<MtlBase*>(obj)) {
            for (int i = 0; i < m->NumSubTexmaps(); ++i) {
                if (!m->GetSubTexmap(i)) m->SetSubTexmap(i, NewDefaultBitmapTex());
            }
        }
        roots.push_back(obj);
        CollectClasses(obj, &held);
    }

    std::vector<unsigned char> saved, again;
    ASSERT_TRUE(WriteScene(roots, classes, &saved, &error)) << error;
    for (ReferenceTarget* r : roots) r->DeleteMe();
    LoadedScene loaded;
    ASSERT_TRUE(ReadScene(saved.data(), saved.size(), classes, &loaded, &error)) << error;
    EXPECT_EQ(loaded.roots.size(), roots.size());
    // Byte for byte the same again: every object came back with all it saved.
    EXPECT_TRUE(WriteScene(loaded.roots, classes, &again, &error)) << error;
    EXPECT_TRUE(again == saved);
    for (ReferenceTarget* r : loaded.roots) r->DeleteMe();
}

}  // namespace
