// Damaged scene files: every truncation and every single-byte change of a small
// scene either loads or fails with a reason, and never reads outside the file.
#include "tests/io/scene_support.h"

#include "io/legacy_block.h"

namespace {

class DamagedFile : public SceneTest {
protected:
    std::vector<unsigned char> SmallScene() {
        LumraMtl* mtl = NewMaterial();
        mtl->SetName(L"M");
        mtl->pblock->SetValue(mtl_reflect_mult, 0, 0.5f);
        BitmapTex* map = NewMap(L"T");
        map->SetMapName(L"t.png");
        mtl->SetSubTexmap(kDiffuseMap, map);
        return Save({mtl});
    }

    // Loads a copy of the bytes (so that reading past them is caught), uses what
    // loaded as the host would, and deletes it.
    static bool TryLoad(const std::vector<unsigned char>& bytes, std::size_t size,
                        std::string* error) {
        std::vector<unsigned char> copy(bytes.begin(),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(size));
        LoadedScene scene;
        error->clear();
        const bool ok = ReadScene(copy.data(), copy.size(), TestClasses(), &scene, error);
        for (ReferenceTarget* r : scene.roots) {
            if (auto* mtl = dynamic_cast<LumraMtl*>(r)) {
                Interval valid = FOREVER;
                mtl->Update(0, valid);
                mtl->GetDiffuse();
            }
            r->DeleteMe();
        }
        return ok;
    }
};

TEST_F(DamagedFile, EveryTruncationFailsWithAReason) {
    // The current layout, and a block of an earlier one that the upgrade replaces.
    LumraMtl* legacy = NewMaterial();
    legacy->ReplaceReference(kParamBlockRef, NewLegacyParamBlock(0, legacy->pblock));
    for (const std::vector<unsigned char>& bytes : {SmallScene(), Save({legacy})}) {
        std::string error;
        ASSERT_TRUE(TryLoad(bytes, bytes.size(), &error)) << error;
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            EXPECT_FALSE(TryLoad(bytes, size, &error)) << size;
            EXPECT_FALSE(error.empty()) << size;
        }
    }
}

TEST_F(DamagedFile, EverySingleByteChangeLoadsOrFailsWithAReason) {
    std::vector<unsigned char> bytes = SmallScene();
    int loaded = 0, failed = 0;
    std::string error;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const unsigned char original = bytes[at];
        for (int v = 0; v < 256; ++v) {
            if (v == original) continue;
            bytes[at] = static_cast<unsigned char>(v);
            if (TryLoad(bytes, bytes.size(), &error)) {
                ++loaded;
            } else {
                ++failed;
                EXPECT_FALSE(error.empty()) << at << " " << v;
            }
        }
        bytes[at] = original;
    }
    // Values change freely; structure does not.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(failed, 0);
}

}  // namespace
