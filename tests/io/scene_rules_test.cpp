// What a scene file may hold: an object of one owner (a parameter block, a texture's
// placement) referenced once, and only values that the block would take if they were
// set. Hostile files are made by changing single values of saved ones.
#include "tests/io/scene_support.h"

#include "bitmaptex.h"
#include "io/legacy_block.h"
#include "normal_bump.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>

namespace {

std::vector<unsigned char> Bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    return std::vector<unsigned char>(b, b + n);
}
template <class T>
std::vector<unsigned char> Bytes(T v) {
    return Bytes(&v, sizeof v);
}
std::vector<unsigned char> operator+(std::vector<unsigned char> a,
                                     const std::vector<unsigned char>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Replaces every occurrence of `from` (at least one) by `to`, of the same length.
::testing::AssertionResult Patch(std::vector<unsigned char>& bytes,
                                 const std::vector<unsigned char>& from,
                                 const std::vector<unsigned char>& to) {
    int found = 0;
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), from.begin(), from.end())) != bytes.end(); ++found)
        at = std::copy(to.begin(), to.end(), at);
    if (found == 0) return ::testing::AssertionFailure() << "pattern not found";
    return ::testing::AssertionSuccess();
}

// Values no other parameter holds, to be found in the saved bytes.
constexpr float kMarked = 0.6180339f;
constexpr float kMarkedKey = 0.4142135f;
const std::vector<unsigned char> kNoRef = Bytes(std::int32_t{-1});

class SceneRules : public SceneTest {
protected:
    // Fails to load the bytes; the reason.
    std::string Refusal(const std::vector<unsigned char>& bytes) {
        LoadedScene scene;
        std::string error;
        EXPECT_FALSE(ReadScene(bytes.data(), bytes.size(), TestClasses(), &scene, &error));
        for (ReferenceTarget* r : scene.roots) r->DeleteMe();
        return error;
    }
    // A material whose reflection glossiness is marked, animated (with a marked key at
    // 100) or stored in the first layout's block.
    std::vector<unsigned char> MarkedScene(bool animated, bool legacy) {
        LumraMtl* mtl = NewMaterial();
        mtl->pblock->SetValue(mtl_refl_gloss, 0, kMarked);
        mtl->pblock->SetValue(mtl_reflect_brdf, 0, 4);
        if (animated) {
            AnimateOn();
            mtl->pblock->SetValue(mtl_refl_gloss, 100, kMarkedKey);
            AnimateOff();
        }
        if (legacy) mtl->ReplaceReference(kParamBlockRef, NewLegacyParamBlock(0, mtl->pblock));
        return Save({mtl});
    }
};

TEST_F(SceneRules, AnObjectOfOneOwnerReferencedTwiceIsRefusedNamingBoth) {
    LumraMtl* a = NewMaterial();
    LumraMtl* b = NewMaterial();
    EXPECT_EQ(b->ReplaceReference(kParamBlockRef, a->pblock), REF_FAIL);
    EXPECT_EQ(a->pblock->GetOwner(), a);

    // Objects 0 (a), 1 (its block), 2 (b), 3 (its block): b's last reference names 1.
    std::vector<unsigned char> bytes = Save({a, b});
    std::vector<unsigned char> blockRef;
    for (int i = 0; i < 13; ++i) blockRef = blockRef + kNoRef;
    ASSERT_TRUE(Patch(bytes, blockRef + Bytes(std::int32_t{3}), blockRef + Bytes(std::int32_t{1})));
    const std::string error = Refusal(bytes);
    EXPECT_NE(error.find("object 2 (LumraMtl): reference 13 names object 1 (ParamBlock2), which "
                         "already belongs to object 0 (LumraMtl)"),
              std::string::npos)
        << error;

    // Two textures sharing one placement: objects 1 and 3 are the bitmaps, 2 and 4
    // their placements.
    LumraMtl* c = NewMaterial();
    c->SetSubTexmap(kDiffuseMap, NewMap(L"D"));
    c->SetSubTexmap(kReflectMap, NewMap(L"R"));
    bytes = Save({c});
    const std::vector<unsigned char> uvRef = {0x33, 0x20, 14, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_TRUE(Patch(bytes, uvRef + Bytes(std::int32_t{4}), uvRef + Bytes(std::int32_t{2})));
    EXPECT_NE(Refusal(bytes).find("names object 2 (StandardUVGen), which already belongs to "
                                  "object 1 (Bitmap)"),
              std::string::npos);
}

// NaN, infinities and choices the list does not hold fail the load with the
// parameter named, in either edition of the block, as constants or as keys.
TEST_F(SceneRules, AValueTheBlockWouldRefuseFailsTheLoadNamingTheParameter) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // The brdf's parameter chunk: id 19, integer, the value 4, no keys.
    const std::vector<unsigned char> brdf = {19, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<unsigned char> badBrdf = {19, 0, 1, 0x40, 0x42, 0x0F, 0, 0, 0, 0, 0};
    // The old block's entry: integer, not animatable, the value 4, no keys.
    const std::vector<unsigned char> oldBrdf = {1, 0, 4, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<unsigned char> oldBadBrdf = {1, 0, 0x40, 0x42, 0x0F, 0, 0, 0, 0, 0};
    struct Case {
        bool animated, legacy;
        std::vector<unsigned char> from, to;
        const char* reason;
    };
    const Case cases[] = {
        {false, false, Bytes(kMarked), Bytes(nan), "parameter mtl_refl_gloss: not a number"},
        {true, false, Bytes(kMarkedKey), Bytes(-inf),
         "parameter mtl_refl_gloss, key at time 100: infinite"},
        {false, false, brdf, badBrdf, "parameter mtl_reflect_brdf: 1000000 is none of its choices"},
        {false, true, Bytes(kMarked), Bytes(inf), "parameter mtl_refl_gloss: infinite"},
        {false, true, oldBrdf, oldBadBrdf, "parameter mtl_reflect_brdf: 1000000 is none"},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> bytes = MarkedScene(c.animated, c.legacy);
        ASSERT_TRUE(Patch(bytes, c.from, c.to)) << c.reason;
        const std::string error = Refusal(bytes);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST_F(SceneRules, AValueOutsideItsRangeIsClampedWithANote) {
    for (bool legacy : {false, true}) {
        std::vector<unsigned char> bytes = MarkedScene(!legacy, legacy);
        ASSERT_TRUE(Patch(bytes, Bytes(kMarked), Bytes(12.0f)));
        if (!legacy) {
            ASSERT_TRUE(Patch(bytes, Bytes(kMarkedKey), Bytes(-1.0f)));
        }
        std::vector<std::string> notes;
        std::vector<LumraMtl*> loaded = Load(bytes, &notes);
        ASSERT_EQ(loaded.size(), 1u);
        EXPECT_EQ(loaded[0]->pblock->GetFloat(mtl_refl_gloss, 0), 10.0f);
        if (!legacy) {
            EXPECT_EQ(loaded[0]->pblock->GetFloat(mtl_refl_gloss, 100), 0.0f);
        }
        const std::string expected =
            "parameter mtl_refl_gloss: 12 lies outside its range 0 to 10 and becomes 10";
        EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [&](const std::string& n) {
            return n.find(expected) == 0;
        })) << ::testing::PrintToString(notes);
    }
}

// Keys at the first and last time a file can hold come back, and the material reads
// them and moves them without overflowing (the sanitizer build checks).
TEST_F(SceneRules, KeysAtTheEndsOfTimeRoundTrip) {
    LumraMtl* mtl = NewMaterial();
    AnimateOn();
    for (TimeValue t : {INT_MIN, INT_MAX}) {
        mtl->pblock->SetValue(mtl_refl_gloss, t, t < 0 ? 0.0f : 10.0f);
        mtl->pblock->SetValue(mtl_reflect_brdf, t, t < 0 ? 0 : 4);
    }
    AnimateOff();
    LumraMtl* loaded = RoundTrip(mtl);
    ASSERT_NE(loaded, nullptr);
    for (TimeValue t : {INT_MIN, INT_MIN + 1, 0, INT_MAX - 1, INT_MAX}) {
        Interval valid = FOREVER;
        loaded->Update(t, valid);
        EXPECT_EQ(loaded->pblock->GetFloat(mtl_refl_gloss, t),
                  mtl->pblock->GetFloat(mtl_refl_gloss, t));
        EXPECT_EQ(loaded->pblock->GetInt(mtl_reflect_brdf, t), t == INT_MAX ? 4 : t >= 0 ? 3 : 0);
    }
    EXPECT_TRUE(loaded->pblock->SetValue(mtl_refl_gloss, 5, 1.0f));
    EXPECT_EQ(loaded->pblock->GetFloat(mtl_refl_gloss, INT_MIN), 0.0f);
}

// A scene of `maps` Normal Bump maps, each the next one's normal map, the last one's a
// bitmap texture; the first is the root. Written chunk by chunk, as a hostile file
// would be: the host itself would not build such a chain. Its references are
// restored from the root down, so that the bitmap, told last that it is a normal
// map, notifies the whole chain.
std::vector<unsigned char> ChainOfNormalBumps(std::uint32_t maps) {
    NormalBumpTex normalBump;
    BMTex bitmap(TRUE);
    ChunkWriter w;
    w.BeginChunk(0x2000);
    w.Write("LUMRASCN", 8, nullptr);
    WriteValue(&w, kSceneFormatVersion);
    WriteValue(&w, maps + 1);
    w.EndChunk();
    w.BeginChunk(0x2010);
    WriteValue(&w, std::uint32_t(1));
    WriteValue(&w, std::int32_t(0));
    w.EndChunk();
    w.BeginChunk(0x2020);
    for (std::uint32_t n = 0; n <= maps; ++n) {
        ReferenceTarget& obj = n < maps ? static_cast<ReferenceTarget&>(normalBump) : bitmap;
        w.BeginChunk(0x2030);
        w.BeginChunk(0x2031);
        WriteValue(&w, static_cast<std::uint32_t>(obj.SuperClassID()));
        WriteValue(&w, static_cast<std::uint32_t>(obj.ClassID().PartA()));
        WriteValue(&w, static_cast<std::uint32_t>(obj.ClassID().PartB()));
        w.EndChunk();
        w.BeginChunk(0x2032);
        obj.Save(&w);
        w.EndChunk();
        w.BeginChunk(0x2033);
        WriteValue(&w, std::uint32_t(1));
        WriteValue(&w, n < maps ? static_cast<std::int32_t>(n + 1) : std::int32_t(-1));
        w.EndChunk();
        w.EndChunk();
    }
    w.EndChunk();
    return w.Bytes();
}

// Restoring a chain's references notifies up the chain, and updates, shading and
// deletion walk it, one call per link: a chain deeper than the host follows is refused
// before any reference is restored, and one at the limit loads and goes.
TEST_F(SceneRules, ReferencesNestedTooDeepAreRefusedBeforeAnyIsRestored) {
    for (std::uint32_t maps : {kMaxReferenceDepth - 1, kMaxReferenceDepth, 100000u}) {
        const std::vector<unsigned char> bytes = ChainOfNormalBumps(maps);
        LoadedScene scene;
        std::string error;
        const bool loaded = ReadScene(bytes.data(), bytes.size(), TestClasses(), &scene, &error);
        if (maps + 1 <= kMaxReferenceDepth) {
            ASSERT_TRUE(loaded) << error;
            ASSERT_EQ(scene.roots.size(), 1u);
            scene.roots[0]->DeleteMe();
            continue;
        }
        EXPECT_FALSE(loaded) << maps;
        EXPECT_NE(error.find("(Normal Bump): its references lead more than " +
                             std::to_string(kMaxReferenceDepth) +
                             " objects deep, deeper than a scene may nest"),
                  std::string::npos)
            << error;
    }

    // Nor is such a chain saved: the file could not be loaded again.
    std::vector<NormalBumpTex*> chain;
    for (std::uint32_t n = 0; n <= kMaxReferenceDepth; ++n) {
        chain.push_back(new NormalBumpTex());
        if (n > 0) {
            ASSERT_EQ(chain[n - 1]->ReplaceReference(0, chain[n]), REF_SUCCEED);
        }
    }
    std::vector<unsigned char> bytes;
    std::string error;
    EXPECT_FALSE(WriteScene({chain[0]}, TestClasses(), &bytes, &error));
    EXPECT_NE(error.find("objects deep, deeper than a scene may nest: a file holding it could "
                         "not be loaded again"),
              std::string::npos)
        << error;
    chain[kMaxReferenceDepth - 1]->DeleteReference(0);
    EXPECT_TRUE(WriteScene({chain[0]}, TestClasses(), &bytes, &error)) << error;
    chain[0]->DeleteMe();
}

}  // namespace
