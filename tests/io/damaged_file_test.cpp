// Damaged scene files: every truncation and every single-byte change of a small
// scene, and of every sample scene (shared maps and blocks, earlier layouts, every
// class that can be saved), either loads or fails with a reason, and never reads
// outside the file.
#include "tests/io/scene_support.h"

#include "fuzz/sample_scenes.h"

#include <algorithm>
#include <set>
#include <utility>

extern "C" int LibNumberClasses();
extern "C" ClassDesc* LibClassDesc(int i);

namespace {

class DamagedFile : public SceneTest {
protected:
    static void SetUpTestSuite() {
        SceneTest::SetUpTestSuite();
        std::string error;
        samples_.clear();
        ASSERT_TRUE(MakeSampleScenes(&samples_, &error)) << error;
    }
    static void TearDownTestSuite() { samples_.clear(); }

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

    static std::vector<SampleScene> samples_;
};

std::vector<SampleScene> DamagedFile::samples_;

TEST_F(DamagedFile, EveryTruncationFailsWithAReason) {
    for (const SampleScene& sample : samples_) {
        const std::vector<unsigned char>& bytes = sample.bytes;
        std::string error;
        // A block shared by two materials is itself a damage that loading may refuse.
        if (sample.name != "shared_block") {
            ASSERT_TRUE(TryLoad(bytes, bytes.size(), &error)) << sample.name << ": " << error;
        }
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            EXPECT_FALSE(TryLoad(bytes, size, &error)) << sample.name << " " << size;
            EXPECT_FALSE(error.empty()) << sample.name << " " << size;
        }
    }
}

TEST_F(DamagedFile, StructuralByteChangesOfEverySampleLoadOrFailWithAReason) {
    // Per byte the values that matter to sizes, counts, indices and flags: none, one,
    // the sign bit's neighbours, all bits, the next and previous value, the top bit
    // flipped. All 255 of them per byte would take minutes under the sanitizers.
    for (const SampleScene& sample : samples_) {
        std::vector<unsigned char> bytes = sample.bytes;
        std::string error;
        for (std::size_t at = 0; at < bytes.size(); ++at) {
            const unsigned char original = bytes[at];
            const std::set<unsigned char> values = {0x00,
                                                    0x01,
                                                    0x7F,
                                                    0x80,
                                                    0xFF,
                                                    static_cast<unsigned char>(original + 1),
                                                    static_cast<unsigned char>(original - 1),
                                                    static_cast<unsigned char>(original ^ 0x80)};
            for (unsigned char v : values) {
                if (v == original) continue;
                bytes[at] = v;
                if (!TryLoad(bytes, bytes.size(), &error)) {
                    EXPECT_FALSE(error.empty()) << sample.name << " " << at << " " << int(v);
                }
            }
            bytes[at] = original;
        }
    }
}

TEST_F(DamagedFile, TheSamplesHoldEveryClassThatCanBeSaved) {
    // Every object's class chunk: id 0x2031, 18 bytes, then super class and class id.
    std::set<std::pair<SClass_ID, Class_ID>> held;
    const std::vector<unsigned char> head = {0x31, 0x20, 18, 0, 0, 0};
    for (const SampleScene& sample : samples_) {
        const std::vector<unsigned char>& b = sample.bytes;
        for (auto at = b.begin();
             (at = std::search(at, b.end(), head.begin(), head.end())) != b.end(); ++at) {
            const unsigned char* p = &*at + head.size();
            held.insert({le::GetU32(p), Class_ID(le::GetU32(p + 4), le::GetU32(p + 8))});
        }
    }
    std::vector<ClassDesc*> savable = HostClassDirectory().Classes();
    for (int i = 0; i < LibNumberClasses(); ++i) savable.push_back(LibClassDesc(i));
    for (ClassDesc* cd : savable)
        EXPECT_TRUE(held.count({cd->SuperClassID(), cd->ClassID()})) << cd->ClassName();
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
