// Files of the material's two earlier layouts: their first-edition block is brought
// into the current block after loading, every value and animation kept.
#include "tests/io/scene_support.h"

#include "io/legacy_block.h"
#include "io/legacy_layouts.h"
#include "material/param_table.h"

namespace {

// A value inside each parameter's range, different for every parameter.
void SetDistinctValues(IParamBlock2* block) {
    int n = 0;
    for (const ParamSpec& p : kParamTable) {
        ++n;
        switch (p.type) {
            case TYPE_FLOAT:
                block->SetValue(p.id, 0,
                                p.hasRange ? p.low + (p.high - p.low) * (0.01f * n) : 0.5f * n);
                break;
            case TYPE_INT:
                block->SetValue(p.id, 0, p.itemCount ? (n % p.itemCount) : 1);
                break;
            case TYPE_BOOL:
                block->SetValue(p.id, 0, (p.defInt + 1) % 2);
                break;
            case TYPE_RGBA:
                block->SetValue(p.id, 0, Color(0.01f * n, 0.02f * n, 0.005f * n));
                break;
            default:
                break;
        }
    }
}

void ExpectSameValues(IParamBlock2* expected, IParamBlock2* actual, TimeValue t) {
    for (const ParamSpec& p : kParamTable) {
        switch (p.type) {
            case TYPE_FLOAT:
                EXPECT_EQ(actual->GetFloat(p.id, t), expected->GetFloat(p.id, t)) << p.id;
                break;
            case TYPE_INT:
            case TYPE_BOOL:
                EXPECT_EQ(actual->GetInt(p.id, t), expected->GetInt(p.id, t)) << p.id;
                break;
            case TYPE_RGBA:
                EXPECT_EQ(actual->GetColor(p.id, t), expected->GetColor(p.id, t)) << p.id;
                break;
            default:
                break;
        }
    }
}

class LegacyUpgrade : public SceneTest, public ::testing::WithParamInterface<DWORD> {
protected:
    // A material as a file of the given layout holds it: its values in a first-
    // edition block at reference 13, and its maps as its own references.
    LumraMtl* LegacyMaterial(DWORD version, LumraMtl* expected) {
        LumraMtl* mtl = NewMaterial();
        IParamBlock* old = NewLegacyParamBlock(version, expected->pblock);
        // One animated value: the diffuse multiplier from 2 at frame 0 to 6 at 100.
        const int entry = LegacyEntryIndex(version, mtl_diffuse_mult);
        old->SetValueAt(entry, 0, 2.0f);
        AnimateOn();
        old->SetValueAt(entry, 100, 6.0f);
        AnimateOff();
        mtl->ReplaceReference(kParamBlockRef, old);
        EXPECT_EQ(mtl->GetReference(kParamBlockRef), old);
        return mtl;
    }
};

TEST_P(LegacyUpgrade, EveryValueAndTheAnimationAreCarriedIntoTheCurrentBlock) {
    const DWORD version = GetParam();
    LumraMtl* expected = NewMaterial();
    SetDistinctValues(expected->pblock);
    LumraMtl* legacy = LegacyMaterial(version, expected);
    legacy->SetSubTexmap(kOpacityMap, NewMap(L"Cut-out"));
    legacy->cached.specularColor = Color(0.3f, 0.2f, 0.1f);

    std::vector<std::string> notes;
    std::vector<LumraMtl*> loaded = Load(Save({legacy}), &notes);
    ASSERT_EQ(loaded.size(), 1u);
    LumraMtl* mtl = loaded[0];
    ASSERT_NE(mtl->pblock, nullptr);
    EXPECT_EQ(mtl->pblock->GetDesc(), &lumraParamBlockDesc);
    EXPECT_EQ(mtl->pblock->GetOwner(), mtl);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("version " + std::to_string(version)), std::string::npos);

    expected->pblock->SetValue(mtl_diffuse_mult, 0, 2.0f);
    AnimateOn();
    expected->pblock->SetValue(mtl_diffuse_mult, 100, 6.0f);
    AnimateOff();
    for (TimeValue t : {0, 50, 100}) ExpectSameValues(expected->pblock, mtl->pblock, t);
    EXPECT_EQ(mtl->pblock->GetFloat(mtl_diffuse_mult, 50), 4.0f);
    EXPECT_TRUE(mtl->pblock->IsAnimated(mtl_diffuse_mult));

    // Maps and the retired values are the material's own and come back as they were.
    ASSERT_NE(mtl->GetSubTexmap(kOpacityMap), nullptr);
    EXPECT_EQ(mtl->pblock->GetTexmap(mtl_opacity_map), mtl->GetSubTexmap(kOpacityMap));
    EXPECT_EQ(mtl->cached.specularColor, Color(0.3f, 0.2f, 0.1f));
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    EXPECT_EQ(mtl->cached.diffuseMult, 2.0f);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, LegacyUpgrade, ::testing::Values(DWORD(0), DWORD(1)));

TEST_F(SceneTest, LayoutsListTheirEntriesInIdOrder) {
    EXPECT_EQ(kLegacyVersions[0].count, 66);
    EXPECT_EQ(kLegacyVersions[1].count, 68);
    for (int i = 0; i < 68; ++i) {
        const ParamBlockDescID& e = kLayoutVersion1[i];
        EXPECT_EQ(e.id, DWORD(i + 2));
        EXPECT_EQ(e.pb2_id, -2);
        EXPECT_EQ(e.user, nullptr);
        const ParamSpec* row = FindParamSpec(static_cast<ParamID>(e.id));
        ASSERT_NE(row, nullptr);
        // Maps are user entries; colours and floats, and only they, are animatable.
        EXPECT_EQ(e.type == TYPE_USER, row->type == TYPE_TEXMAP) << e.id;
        EXPECT_EQ(e.animatable == TRUE, row->type == TYPE_FLOAT || row->type == TYPE_RGBA)
            << e.id;
        if (i < 66) {
            EXPECT_EQ(kLayoutVersion0[i].type, e.type);
            EXPECT_EQ(kLayoutVersion0[i].animatable, e.animatable);
            EXPECT_EQ(kLayoutVersion0[i].id, e.id);
        }
    }
}

TEST_F(SceneTest, CurrentBlockIsLeftAsItIs) {
    LumraMtl* mtl = NewMaterial();
    SetDistinctValues(mtl->pblock);
    std::vector<std::string> notes;
    std::vector<LumraMtl*> loaded = Load(Save({mtl}), &notes);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(notes.empty());
    ExpectSameValues(mtl->pblock, loaded[0]->pblock, 0);
}

TEST_F(SceneTest, UnknownLayoutIsReplacedByDefaults) {
    LumraMtl* mtl = NewMaterial();
    IParamBlock* old = CreateParameterBlock(kLayoutVersion1, 68, 7);
    old->SetValueAt(LegacyEntryIndex(1, mtl_refl_gloss), 0, 0.25f);
    mtl->ReplaceReference(kParamBlockRef, old);
    std::vector<std::string> notes;
    std::vector<LumraMtl*> loaded = Load(Save({mtl}), &notes);
    ASSERT_EQ(loaded.size(), 1u);
    ASSERT_NE(loaded[0]->pblock, nullptr);
    EXPECT_EQ(loaded[0]->pblock->GetDesc(), &lumraParamBlockDesc);
    EXPECT_EQ(loaded[0]->pblock->GetFloat(mtl_refl_gloss), 1.0f);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("unknown"), std::string::npos);
}

}  // namespace
