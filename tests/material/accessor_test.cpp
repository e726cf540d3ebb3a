// The renderer's accessor: raw block values at time 0 and the map slots.
#include "tests/support/plugin_fixture.h"

namespace {
class AccessorTest : public PluginTest {};
}  // namespace

TEST_F(AccessorTest, GettersReadTheBlockNotTheCache) {
    LumraMtl* mtl = NewMaterial();
    ILumraMtl* renderer = mtl;
    EXPECT_EQ(renderer->GetReflectBrdf(), 3);
    EXPECT_EQ(renderer->GetReflectExtrusion(), 0);
    EXPECT_FLOAT_EQ(renderer->GetReflectIor(), 1.5f);  // the cache still says 0
    EXPECT_FLOAT_EQ(renderer->GetBumpRadius(), 0.25f);
    EXPECT_TRUE(renderer->GetReflectFresnelOn());
    EXPECT_TRUE(renderer->GetAffectShadow());
    EXPECT_TRUE(renderer->GetEmissionGi());
    EXPECT_FALSE(renderer->GetOpacitySmooth());

    mtl->pblock->SetValue(mtl_reflect_brdf, 0, kBrdfTrggx);
    mtl->pblock->SetValue(mtl_translucency_color, 0, Color(0.1f, 0.2f, 0.3f));
    mtl->pblock->SetValue(mtl_fog_multiplier, 0, 700.0f);
    mtl->pblock->SetValue(mtl_transparency_thin_on, 0, 1);
    EXPECT_EQ(renderer->GetReflectBrdf(), 4);
    EXPECT_EQ(renderer->GetTranslucencyColor(), Color(0.1f, 0.2f, 0.3f));
    EXPECT_FLOAT_EQ(renderer->GetFogMultiplier(), 700.0f);
    EXPECT_TRUE(renderer->GetTransparencyThinOn());
    EXPECT_EQ(mtl->cached.reflectBrdf, 3);  // stale until the next update
}

TEST_F(AccessorTest, GettersIgnoreAnimation) {
    LumraMtl* mtl = NewMaterial();
    AnimateOn();
    mtl->pblock->SetValue(mtl_reflect_color, 0, Color(1.0f, 0.0f, 0.0f));
    mtl->pblock->SetValue(mtl_reflect_color, 100, Color(0.0f, 0.0f, 1.0f));
    AnimateOff();
    Interval valid = FOREVER;
    mtl->Update(100, valid);
    EXPECT_EQ(mtl->GetReflectColor(), Color(1.0f, 0.0f, 0.0f));
}

TEST_F(AccessorTest, MapGettersAnswerTheirSlots) {
    LumraMtl* mtl = NewMaterial();
    EXPECT_FALSE(mtl->HasOpacityMap());
    struct Slot {
        int slot;
        Texmap* (ILumraMtl::*get)();
    };
    const Slot slots[] = {
        {kDiffuseMap, &ILumraMtl::GetDiffuseMap},
        {kReflectMap, &ILumraMtl::GetReflectMap},
        {kReflGlossMap, &ILumraMtl::GetReflectGlossMap},
        {kReflectAnisotropyMap, &ILumraMtl::GetReflectAnisotropyMap},
        {kReflectRotationMap, &ILumraMtl::GetReflectRotationMap},
        {kTransparencyMap, &ILumraMtl::GetTransparencyMap},
        {kTranspGlossMap, &ILumraMtl::GetTransparencyGlossMap},
        {kOpacityMap, &ILumraMtl::GetOpacityMap},
        {kEmissionMap, &ILumraMtl::GetEmissionMap},
        {kTranslucencyMap, &ILumraMtl::GetTranslucencyMap},
        {kNormalMap, &ILumraMtl::GetNormalMap},
    };
    for (const Slot& s : slots) {
        BitmapTex* map = NewMap(L"m");
        mtl->SetSubTexmap(s.slot, map);
        ILumraMtl* renderer = mtl;
        EXPECT_EQ((renderer->*s.get)(), map) << s.slot;
    }
    EXPECT_TRUE(mtl->HasOpacityMap());
}
