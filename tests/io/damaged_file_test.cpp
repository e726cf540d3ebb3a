// Damaged scene files: every truncation and every single-byte change of a small
// scene either loads or fails with a reason, and never reads outside the file.
#include "tests/io/scene_support.h"

#include "io/legacy_block.h"

#include <algorithm>

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

TEST_F(DamagedFile, ReferenceOfTheWrongKindIsRefused) {
    // A material's first map slot naming the other material: the list of references
    // of object 0 (14 of them, after a count) starts with -1 for the empty slot.
    std::vector<unsigned char> bytes = Save({NewMaterial(), NewMaterial()});
    const std::vector<unsigned char> refs = {0x33, 0x20, 66, 0,    0,    0,    14,
                                             0,    0,    0,  0xFF, 0xFF, 0xFF, 0xFF};
    auto at = std::search(bytes.begin(), bytes.end(), refs.begin(), refs.end());
    ASSERT_NE(at, bytes.end());
    at[10] = 2;  // object 2: the second material
    at[11] = at[12] = at[13] = 0;
    std::string error;
    EXPECT_FALSE(TryLoad(bytes, bytes.size(), &error));
    EXPECT_NE(error.find("does not take reference 0"), std::string::npos) << error;
}

}  // namespace
