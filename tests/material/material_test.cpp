// The material object: defaults, identity, references and sub-maps, the host's
// colour queries and setters, cloning and reset.
#include "tests/support/plugin_fixture.h"

#include "material/param_table.h"

#include <cmath>
#include <limits>

namespace {

class MaterialTest : public PluginTest {};

}  // namespace

TEST_F(MaterialTest, ANewBlockHoldsTheTableDefaults) {
    LumraMtl* mtl = NewMaterial();
    IParamBlock2* pb = mtl->pblock;
    ASSERT_NE(pb, nullptr);
    ASSERT_EQ(pb->NumParams(), 68);
    EXPECT_EQ(pb->GetColor(mtl_diffuse_color), Color(0.8f, 0.8f, 0.8f));
    EXPECT_FLOAT_EQ(pb->GetFloat(mtl_diffuse_mult), 1.0f);
    for (ParamID id :
         {mtl_specular_color, mtl_reflect_color, mtl_emission_color, mtl_transparency_color,
          mtl_fog_color, mtl_exit_color, mtl_translucency_color})
        EXPECT_EQ(pb->GetColor(id), Color(1.0f, 1.0f, 1.0f)) << id;
    for (ParamID id : {mtl_specular_mult, mtl_reflect_mult, mtl_emission_mult,
                       mtl_transparency_mult, mtl_translucency_mult, mtl_fog_multiplier,
                       mtl_roughness_mult, mtl_reflect_anisotropy, mtl_reflect_rotation})
        EXPECT_FLOAT_EQ(pb->GetFloat(id), 0.0f) << id;
    for (ParamID id : {mtl_specular_roughness, mtl_reflect_roughness, mtl_spec_gloss,
                       mtl_refl_gloss, mtl_transp_gloss})
        EXPECT_FLOAT_EQ(pb->GetFloat(id), 1.0f) << id;
    for (ParamID id : {mtl_specular_cospower, mtl_reflect_cospower, mtl_transparency_cospower})
        EXPECT_FLOAT_EQ(pb->GetFloat(id), 256.0f) << id;
    EXPECT_FLOAT_EQ(pb->GetFloat(mtl_ior), 1.5f);
    EXPECT_FLOAT_EQ(pb->GetFloat(mtl_reflect_ior), 1.5f);
    EXPECT_FLOAT_EQ(pb->GetFloat(mtl_specular_ior), 1.0f);
    EXPECT_FLOAT_EQ(pb->GetFloat(mtl_bump_amount), 0.2f);
    EXPECT_FLOAT_EQ(pb->GetFloat(mtl_bump_radius), 0.25f);
    EXPECT_FLOAT_EQ(pb->GetFloat(mtl_bump_sigma), 1.5f);
    EXPECT_FLOAT_EQ(pb->GetFloat(mtl_displacement_height), 0.5f);
    EXPECT_EQ(pb->GetInt(mtl_specular_brdf), kBrdfGgx);
    EXPECT_EQ(pb->GetInt(mtl_reflect_brdf), kBrdfGgx);
    EXPECT_EQ(pb->GetInt(mtl_reflect_extrusion), 0);
    for (ParamID id : {mtl_spec_gloss_or_cos, mtl_refl_gloss_or_cos, mtl_transp_gloss_or_cos})
        EXPECT_EQ(pb->GetInt(id), 0) << id;
    // Switches: five on, the rest off.
    for (const ParamSpec& p : kParamTable) {
        if (p.type != TYPE_BOOL) continue;
        const bool on = p.id == mtl_affect_shadow || p.id == mtl_spec_fresnel_on ||
                        p.id == mtl_refl_fresnel_on || p.id == mtl_lock_specular ||
                        p.id == mtl_emission_gi;
        EXPECT_EQ(pb->GetInt(p.id), on ? 1 : 0) << p.id;
    }
    for (int slot = 0; slot < kNumMapSlots; ++slot) {
        EXPECT_EQ(mtl->GetSubTexmap(slot), nullptr);
        EXPECT_EQ(pb->GetTexmap(kSlotParamIds[slot]), nullptr);
    }
}

TEST_F(MaterialTest, BlockDeclarationMatchesTheTable) {
    ParamBlockDesc2& desc = lumraParamBlockDesc;
    EXPECT_TRUE(desc.DeclarationError().empty()) << desc.DeclarationError();
    EXPECT_EQ(desc.ID, 0);
    EXPECT_EQ(std::wstring(desc.int_name), L"parameters");
    EXPECT_EQ(desc.flags, P_AUTO_CONSTRUCT | P_AUTO_UI);
    EXPECT_EQ(desc.ref_no, 13);
    EXPECT_EQ(desc.dlg_template, 82);
    EXPECT_EQ(desc.title, 4);
    EXPECT_EQ(lumraMaterialClassDesc.GetParamBlockDescByID(0), &desc);
    ASSERT_EQ(desc.Count(), 68);
    EXPECT_EQ(desc.IDtoIndex(0), -1);
    EXPECT_EQ(desc.IDtoIndex(1), -1);
    EXPECT_EQ(desc.IndextoID(5), mtl_roughness_mult);  // declared sixth
    EXPECT_EQ(desc.IndextoID(67), mtl_reflect_rotation_map);
    EXPECT_EQ(desc.NameToIndex(L"mtl_refl_fresnel_on,"), 48);
    EXPECT_EQ(desc.NameToIndex(L"mtl_lock_specular,"), 52);

    for (int i = 0; i < desc.Count(); ++i) {
        const ParamDef& def = desc.GetParamDefByIndex(i);
        const ParamSpec& row = kParamTable[i];
        EXPECT_EQ(def.ID, row.id);
        EXPECT_EQ(def.flags, row.flags) << row.id;
        EXPECT_EQ(def.local_name, row.label) << row.id;
        if (def.type == TYPE_TEXMAP) {
            EXPECT_EQ(def.ref_no, row.slot);
            EXPECT_EQ(def.subtexno, row.slot);
            EXPECT_EQ(kSlotParamIds[row.slot], def.ID);
        }
    }
    const ParamDef& brdf = desc.GetParamDef(mtl_reflect_brdf);
    EXPECT_EQ(brdf.ctrl_type, TYPE_INT_COMBOBOX);
    EXPECT_EQ(brdf.combo_items, (std::vector<StringResID>{14, 15, 16, 46, 47}));
    EXPECT_EQ(brdf.combo_vals[3], 3);  // the fourth item stores 3
    EXPECT_EQ(brdf.tooltip, 22);
    EXPECT_EQ(desc.GetParamDef(mtl_reflect_extrusion).combo_vals[1], 1);
    const ParamDef& rotation = desc.GetParamDef(mtl_reflect_rotation);
    EXPECT_EQ(rotation.ctrl_IDs, (std::vector<int>{1101, 1104}));
    EXPECT_FLOAT_EQ(rotation.scale, 5.0f);
    EXPECT_FLOAT_EQ(rotation.range_high.f, 360.0f);
    EXPECT_FLOAT_EQ(desc.GetParamDef(mtl_refl_gloss).range_high.f, 10.0f);
    EXPECT_FLOAT_EQ(desc.GetParamDef(mtl_spec_gloss).range_high.f, 1.0f);
    EXPECT_FLOAT_EQ(desc.GetParamDef(mtl_reflect_cospower).range_high.f, 1000000.0f);
    EXPECT_FLOAT_EQ(desc.GetParamDef(mtl_bump_sigma).range_low.f, 1.0f);
    EXPECT_FLOAT_EQ(desc.GetParamDef(mtl_fog_multiplier).scale, 1.0f);
    EXPECT_EQ(desc.GetParamDef(mtl_spec_gloss_or_cos).ctrl_IDs, (std::vector<int>{1065, 1067}));
}

TEST_F(MaterialTest, IdentityAndStructure) {
    LumraMtl* mtl = NewMaterial();
    MSTR name;
    mtl->GetClassName(name);
    EXPECT_EQ(name, MSTR(L"LumraMtl"));
    EXPECT_EQ(mtl->ClassID(), Class_ID(0xA3F0E60D, 0x941BA693));
    EXPECT_EQ(mtl->SuperClassID(), static_cast<SClass_ID>(0xC00));
    EXPECT_EQ(mtl->NumRefs(), 14);
    EXPECT_EQ(mtl->NumSubTexmaps(), 13);
    EXPECT_EQ(mtl->NumSubMtls(), 0);
    EXPECT_EQ(mtl->Requirements(0), 0x00800018u);
    EXPECT_EQ(mtl->Requirements(7), 0x00800018u);
    EXPECT_EQ(mtl->NumParamBlocks(), 1);
    EXPECT_EQ(mtl->GetParamBlock(0), mtl->pblock);
    EXPECT_EQ(mtl->GetParamBlock(1), nullptr);
    EXPECT_EQ(mtl->GetParamBlockByID(0), mtl->pblock);
    EXPECT_EQ(mtl->GetParamBlockByID(1), nullptr);
    EXPECT_EQ(mtl->GetReference(13), mtl->pblock);

    const wchar_t* slots[] = {L"DiffuseMap",
                              L"DeprecatedMap1",
                              L"ReflectivityMap",
                              L"EmissionMap",
                              L"TransparencyMap",
                              L"NormalMap",
                              L"DeprecatedMap2",
                              L"ReflectGlossinessMap",
                              L"TranspGlossinessMap",
                              L"OpacityMap",
                              L"TranslucencyMap",
                              L"ReflectivityAnisotropyMap",
                              L"ReflectivityRotationMap"};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(mtl->GetSubTexmapSlotName(i), MSTR(slots[i])) << i;
    EXPECT_EQ(mtl->GetSubTexmapSlotName(13), MSTR());
    EXPECT_EQ(mtl->GetSubTexmapSlotName(-1), MSTR());
    EXPECT_EQ(mtl->GetSubMtlSlotName(0), MSTR());

    // One sub-animatable, texture slot 0, and no sub-animatable names.
    EXPECT_EQ(mtl->NumSubs(), 1);
    EXPECT_EQ(mtl->SubAnim(0), nullptr);
    BitmapTex* diffuse = NewMap(L"diffuse");
    mtl->SetSubTexmap(kDiffuseMap, diffuse);
    EXPECT_EQ(mtl->SubAnim(0), diffuse);
    for (int i = -1; i < 15; ++i) EXPECT_EQ(mtl->SubAnimName(i), MSTR());
}

TEST_F(MaterialTest, OutOfRangeIndicesTouchNothing) {
    LumraMtl* mtl = NewMaterial();
    EXPECT_EQ(mtl->GetReference(-1), nullptr);
    EXPECT_EQ(mtl->GetReference(14), nullptr);
    EXPECT_EQ(mtl->GetReference(1000), nullptr);
    EXPECT_EQ(mtl->GetSubTexmap(-1), nullptr);
    EXPECT_EQ(mtl->GetSubTexmap(13), nullptr);
    EXPECT_EQ(mtl->SubAnim(-3), nullptr);

    // The host refuses references it does not have; the material's own routing,
    // reached directly, ignores them as well.
    struct Probe : LumraMtl {
        using LumraMtl::LumraMtl;
        using LumraMtl::SetReference;
    };
    auto* probe = new Probe(FALSE);
    owned_.push_back(probe);
    IParamBlock2* block = probe->pblock;
    BitmapTex* map = NewMap(L"stray");
    EXPECT_EQ(probe->ReplaceReference(14, map), REF_FAIL);
    probe->SetReference(-1, map);
    probe->SetReference(14, map);
    probe->SetReference(99, nullptr);
    EXPECT_EQ(probe->pblock, block);
    for (Texmap* t : probe->texmaps) EXPECT_EQ(t, nullptr);
    map->DeleteMe();
}

TEST_F(MaterialTest, ReferencesAreRoutedByTheTargetsClass) {
    LumraMtl* mtl = NewMaterial();
    IParamBlock2* fresh = CreateParameterBlock2(&lumraParamBlockDesc, mtl);
    // A parameter block handed in at a map index lands in pblock.
    ASSERT_EQ(mtl->ReplaceReference(0, fresh), REF_SUCCEED);
    EXPECT_EQ(mtl->pblock, fresh);
    EXPECT_EQ(mtl->texmaps[0], nullptr);

    BitmapTex* map = NewMap(L"m");
    mtl->ReplaceReference(3, map);
    EXPECT_EQ(mtl->texmaps[3], map);
    mtl->ReplaceReference(3, nullptr);  // none at a map index empties the slot
    EXPECT_EQ(mtl->texmaps[3], nullptr);
}

TEST_F(MaterialTest, SetSubTexmapFillsTheSlotAndItsParameter) {
    LumraMtl* mtl = NewMaterial();
    Watcher* watcher = Watch(mtl);
    BitmapTex* map = NewMap(L"opacity");
    mtl->SetSubTexmap(kOpacityMap, map);
    EXPECT_EQ(mtl->GetSubTexmap(kOpacityMap), map);
    EXPECT_EQ(mtl->GetReference(kOpacityMap), map);
    EXPECT_EQ(mtl->pblock->GetTexmap(mtl_opacity_map), map);
    EXPECT_GE(watcher->Count(REFMSG_CHANGE), 1);

    // Outside 0..12 nothing changes, but dependents still hear of it.
    watcher->messages.clear();
    BitmapTex* stray = NewMap(L"stray");
    mtl->SetSubTexmap(13, stray);
    mtl->SetSubTexmap(-1, stray);
    EXPECT_EQ(watcher->Count(REFMSG_CHANGE), 2);
    EXPECT_EQ(mtl->pblock->GetTexmap(mtl_opacity_map), map);
    stray->DeleteMe();
}

TEST_F(MaterialTest, ColourQueriesAnswerFromTheCachedValues) {
    LumraMtl* mtl = NewMaterial();
    EXPECT_EQ(mtl->GetDiffuse(), Color(0.8f, 0.8f, 0.8f));
    EXPECT_EQ(mtl->GetAmbient(2, TRUE), mtl->GetDiffuse());
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    EXPECT_EQ(mtl->GetDiffuse(), Color(0.8f, 0.8f, 0.8f));

    mtl->cached.reflectMult = 50.0f;
    mtl->cached.reflectColor = Color(1.0f, 0.0f, 0.0f);
    EXPECT_NEAR(mtl->GetDiffuse().r, 0.8f + 0.5f, 1e-6f);
    EXPECT_EQ(mtl->GetSpecular(), Color(50.0f, 0.0f, 0.0f));
    mtl->cached.reflGloss = 0.3f;
    EXPECT_FLOAT_EQ(mtl->GetShininess(), 0.3f);
    EXPECT_FLOAT_EQ(mtl->GetShinStr(), 1.0f);
    EXPECT_TRUE(mtl->GetSelfIllumColorOn());
    EXPECT_FLOAT_EQ(mtl->GetSelfIllum(), 0.0f);
    EXPECT_FLOAT_EQ(mtl->WireSize(), 1.0f);
    EXPECT_EQ(mtl->GetPixelSampler(), nullptr);

    mtl->cached.emissionColor = Color(1.0f, 1.0f, 1.0f);
    mtl->cached.emissionMult = 3.0f;
    EXPECT_EQ(mtl->GetSelfIllumColor(), Color(0.75f, 0.75f, 0.75f));

    // Transparency: a multiplier above 1 is lowered to 1 in the cache itself.
    mtl->cached.transparencyColor = Color(1.0f, 1.0f, 1.0f);
    mtl->cached.transparencyMult = 5.0f;
    Interval hintValid = FOREVER;
    EXPECT_TRUE(mtl->GetTransparencyHint(0, hintValid));
    EXPECT_NEAR(mtl->GetXParency(), 0.8f, 1e-6f);
    EXPECT_FLOAT_EQ(mtl->cached.transparencyMult, 1.0f);
    EXPECT_FLOAT_EQ(mtl->pblock->GetFloat(mtl_transparency_mult), 0.0f);
    mtl->cached.transparencyMult = 0.0f;
    EXPECT_FALSE(mtl->GetTransparencyHint(0, hintValid));
    EXPECT_FLOAT_EQ(mtl->GetXParency(), 0.0f);
}

TEST_F(MaterialTest, SettersWriteTheCacheAndTheBlockAndNotify) {
    LumraMtl* mtl = NewMaterial();
    Watcher* watcher = Watch(mtl);
    mtl->SetDiffuse(Color(0.1f, 0.2f, 0.3f), 0);
    EXPECT_EQ(mtl->cached.diffuseColor, Color(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(mtl->pblock->GetColor(mtl_diffuse_color), Color(0.1f, 0.2f, 0.3f));

    mtl->SetSpecular(Color(0.4f, 0.5f, 0.6f), 0);
    EXPECT_EQ(mtl->cached.specularColor, Color(0.4f, 0.5f, 0.6f));
    EXPECT_EQ(mtl->pblock->GetColor(mtl_specular_color), Color(0.4f, 0.5f, 0.6f));

    // Shininess goes to the retired specular roughness and to the reflection
    // roughness parameter, as the same value.
    mtl->SetShininess(0.35f, 0);
    EXPECT_FLOAT_EQ(mtl->cached.specularRoughness, 0.35f);
    EXPECT_FLOAT_EQ(mtl->pblock->GetFloat(mtl_reflect_roughness), 0.35f);

    mtl->SetAmbient(Color(9.0f, 9.0f, 9.0f), 0);
    EXPECT_EQ(mtl->cached.diffuseColor, Color(0.1f, 0.2f, 0.3f));
    EXPECT_GE(watcher->Count(REFMSG_CHANGE), 3);

    // Sub-materials do not exist; setting one changes nothing.
    BitmapTex* before = NewMap(L"slot0");
    mtl->SetSubTexmap(0, before);
    mtl->SetSubMtl(0, mtl);
    EXPECT_EQ(mtl->texmaps[0], before);
}

TEST_F(MaterialTest, CloneCopiesBlockMapsAndCacheAndKeepsSharedMapsShared) {
    LumraMtl* mtl = NewMaterial();
    mtl->SetName(L"source");
    mtl->gbufID = 7;
    BitmapTex* shared = NewMap(L"shared");
    mtl->SetSubTexmap(kDiffuseMap, shared);
    mtl->SetSubTexmap(kReflectMap, shared);
    mtl->pblock->SetValue(mtl_reflect_mult, 0, 40.0f);
    mtl->cached.specularColor = Color(0.3f, 0.3f, 0.3f);
    mtl->cached.reflectMult = 12.0f;  // a stale cache, copied as it is

    RemapDir* remap = NewRemapDir();
    auto* clone = static_cast<LumraMtl*>(remap->CloneRef(mtl));
    remap->DeleteThis();
    owned_.push_back(clone);

    EXPECT_EQ(clone->GetName(), MSTR(L"source"));
    EXPECT_EQ(clone->gbufID, 7u);
    ASSERT_NE(clone->pblock, nullptr);
    EXPECT_NE(clone->pblock, mtl->pblock);
    EXPECT_EQ(clone->pblock->GetOwner(), clone);
    EXPECT_FLOAT_EQ(clone->pblock->GetFloat(mtl_reflect_mult), 40.0f);
    ASSERT_NE(clone->texmaps[kDiffuseMap], nullptr);
    EXPECT_NE(clone->texmaps[kDiffuseMap], shared);
    EXPECT_EQ(clone->texmaps[kDiffuseMap], clone->texmaps[kReflectMap]);
    EXPECT_EQ(clone->pblock->GetTexmap(mtl_diffuse_map), clone->texmaps[kDiffuseMap]);
    EXPECT_EQ(clone->texmaps[kOpacityMap], nullptr);
    EXPECT_EQ(clone->cached.specularColor, Color(0.3f, 0.3f, 0.3f));
    EXPECT_EQ(clone->ivalid, FOREVER);

    // The clone shows its copied cache until its own block reports a change.
    Interval valid = FOREVER;
    clone->Update(0, valid);
    EXPECT_FLOAT_EQ(clone->cached.reflectMult, 12.0f);
    clone->pblock->SetValue(mtl_diffuse_mult, 0, 2.0f);
    clone->Update(0, valid);
    EXPECT_FLOAT_EQ(clone->cached.reflectMult, 40.0f);
    EXPECT_FLOAT_EQ(mtl->pblock->GetFloat(mtl_diffuse_mult), 1.0f);
}

TEST_F(MaterialTest, ResetRemovesMapsAndRestoresDefaultsButKeepsLegacyValues) {
    LumraMtl* mtl = NewMaterial();
    Watcher* mapWatcher = nullptr;
    BitmapTex* map = NewMap(L"m");
    mtl->SetSubTexmap(kEmissionMap, map);
    mapWatcher = Watch(map);  // keeps the map alive to see it released
    mtl->SetSpecular(Color(0.2f, 0.2f, 0.2f), 0);
    mtl->pblock->SetValue(mtl_ior, 0, 2.4f);
    Interval valid = FOREVER;
    mtl->Update(0, valid);

    mtl->Reset();
    EXPECT_EQ(mtl->texmaps[kEmissionMap], nullptr);
    EXPECT_EQ(map->NumDependents(), 1);  // only the watcher holds it now
    EXPECT_FLOAT_EQ(mtl->pblock->GetFloat(mtl_ior), 1.5f);
    EXPECT_EQ(mtl->pblock->GetColor(mtl_specular_color), Color(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(mtl->cached.specularColor, Color(0.2f, 0.2f, 0.2f));
    EXPECT_FLOAT_EQ(mtl->cached.ior, 2.4f);  // until the next refresh
    EXPECT_TRUE(mtl->ivalid.Empty());
    mtl->Update(0, valid);
    EXPECT_FLOAT_EQ(mtl->cached.ior, 1.5f);
    EXPECT_EQ(mtl->cached.specularColor, Color(0.2f, 0.2f, 0.2f));
    (void)mapWatcher;
}

TEST_F(MaterialTest, CreatedForLoadingItHasNoBlockYet) {
    auto* mtl = static_cast<LumraMtl*>(static_cast<Mtl*>(lumraMaterialClassDesc.Create(TRUE)));
    owned_.push_back(mtl);
    EXPECT_EQ(mtl->pblock, nullptr);
    EXPECT_EQ(mtl->cached.reflectCospower, 0.0f);
    EXPECT_FLOAT_EQ(mtl->cached.bumpRadius, 1.0f);
    EXPECT_TRUE(mtl->ivalid.Empty());
    // Without a block the setters and updates still hold.
    mtl->SetDiffuse(Color(0.5f, 0.5f, 0.5f), 0);
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    EXPECT_EQ(mtl->cached.diffuseColor, Color(0.5f, 0.5f, 0.5f));
}
