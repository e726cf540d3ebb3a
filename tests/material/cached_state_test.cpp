// The cached values: when Update refreshes them, what validity it reports, and
// what empties it.
#include "tests/support/plugin_fixture.h"

namespace {

class CachedStateTest : public PluginTest {};

// A texture map whose validity is fixed by the test.
class TimedMap : public Texmap {
public:
    explicit TimedMap(Interval validity) : validity_(validity) {}
    Class_ID ClassID() override { return Class_ID(0x51, 0x52); }
    AColor EvalColor(ShadeContext&) override { return AColor(0.5f, 0.5f, 0.5f); }
    Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0.0f, 0.0f, 0.0f); }
    void Update(TimeValue, Interval& valid) override {
        ++updates;
        valid &= validity_;
    }
    void Reset() override {}
    Interval Validity(TimeValue) override { return validity_; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
    void Touch() { NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE); }
    int updates = 0;

protected:
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    Interval validity_;
};

}  // namespace

TEST_F(CachedStateTest, ConstructionDefaultsHoldUntilTheFirstUpdate) {
    LumraMtl* mtl = NewMaterial();
    EXPECT_TRUE(mtl->ivalid.Empty());
    EXPECT_FLOAT_EQ(mtl->cached.reflectCospower, 0.0f);  // the block holds 256
    EXPECT_FLOAT_EQ(mtl->cached.reflectIor, 0.0f);       // and 1.5
    EXPECT_FLOAT_EQ(mtl->cached.bumpRadius, 1.0f);       // and 0.25
    Interval valid = FOREVER;
    mtl->Update(1234, valid);
    EXPECT_FLOAT_EQ(mtl->cached.reflectCospower, 256.0f);
    EXPECT_FLOAT_EQ(mtl->cached.reflectIor, 1.5f);
    EXPECT_FLOAT_EQ(mtl->cached.bumpRadius, 0.25f);
    EXPECT_EQ(valid, FOREVER);
    EXPECT_EQ(mtl->ivalid, FOREVER);
}

TEST_F(CachedStateTest, AnUpdateInsideTheValidityReadsNothingAndSendsNothing) {
    LumraMtl* mtl = NewMaterial();
    Watcher* watcher = Watch(mtl);
    auto* map = new TimedMap(FOREVER);
    mtl->SetSubTexmap(kDiffuseMap, map);
    watcher->messages.clear();

    Interval valid = FOREVER;
    mtl->Update(0, valid);
    EXPECT_EQ(watcher->Count(REFMSG_DISPLAY_MATERIAL_CHANGE), 1);
    EXPECT_EQ(map->updates, 1);

    mtl->cached.diffuseMult = 42.0f;  // the next refresh would overwrite this
    valid = Interval(10, 20);
    mtl->Update(0, valid);
    EXPECT_EQ(watcher->Count(REFMSG_DISPLAY_MATERIAL_CHANGE), 1);
    EXPECT_EQ(map->updates, 1);
    EXPECT_FLOAT_EQ(mtl->cached.diffuseMult, 42.0f);
    EXPECT_EQ(valid, Interval(10, 20));  // still intersected with FOREVER

    // Legacy members are never refreshed.
    mtl->pblock->SetValue(mtl_specular_color, 0, Color(0.0f, 0.0f, 1.0f));
    mtl->Update(0, valid);
    EXPECT_EQ(mtl->cached.specularColor, Color(1.0f, 1.0f, 1.0f));
    EXPECT_FLOAT_EQ(mtl->cached.diffuseMult, 1.0f);
}

TEST_F(CachedStateTest, AnAnimatedColourNarrowsTheValidityAsTheBlockReports) {
    LumraMtl* mtl = NewMaterial();
    AnimateOn();
    mtl->pblock->SetValue(mtl_diffuse_color, 0, Color(1.0f, 0.0f, 0.0f));
    mtl->pblock->SetValue(mtl_diffuse_color, 100, Color(0.0f, 0.0f, 1.0f));
    AnimateOff();

    Interval valid = FOREVER;
    mtl->Update(50, valid);
    EXPECT_EQ(valid, Interval(50, 50));
    EXPECT_NEAR(mtl->cached.diffuseColor.r, 0.5f, 1e-6f);

    valid = FOREVER;
    mtl->Update(200, valid);
    EXPECT_EQ(valid, Interval(100, TIME_PosInfinity));
    EXPECT_EQ(mtl->cached.diffuseColor, Color(0.0f, 0.0f, 1.0f));

    // Inside that interval nothing is read again.
    mtl->cached.diffuseColor = Color(0.25f, 0.25f, 0.25f);
    valid = FOREVER;
    mtl->Update(300, valid);
    EXPECT_EQ(mtl->cached.diffuseColor, Color(0.25f, 0.25f, 0.25f));
    EXPECT_EQ(valid, Interval(100, TIME_PosInfinity));
    // Outside it, everything is.
    mtl->Update(-5, valid);
    EXPECT_EQ(mtl->cached.diffuseColor, Color(1.0f, 0.0f, 0.0f));

    // The validity query asks only the maps.
    EXPECT_EQ(mtl->Validity(50), FOREVER);
    auto* map = new TimedMap(Interval(40, 60));
    mtl->SetSubTexmap(kReflectMap, map);
    EXPECT_EQ(mtl->Validity(50), Interval(40, 60));
    valid = FOREVER;
    mtl->Update(100, valid);
    EXPECT_EQ(valid, NEVER);  // [100, 100] from the colour, [40, 60] from the map
}

TEST_F(CachedStateTest, AChangeOfTheBlockOrOfAMapEmptiesTheValidity) {
    LumraMtl* mtl = NewMaterial();
    auto* map = new TimedMap(FOREVER);
    mtl->SetSubTexmap(kTranslucencyMap, map);
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    ASSERT_EQ(mtl->ivalid, FOREVER);

    lumraMaterialClassDesc.ClearUIInvalidations();
    map->Touch();
    EXPECT_TRUE(mtl->ivalid.Empty());
    EXPECT_TRUE(lumraMaterialClassDesc.UIInvalidations().empty());  // a map refreshes no control
    mtl->Update(0, valid);
    EXPECT_EQ(mtl->ivalid, FOREVER);

    // A block change also refreshes exactly that parameter's controls.
    mtl->pblock->SetValue(mtl_bump_amount, 0, 1.0f);
    EXPECT_TRUE(mtl->ivalid.Empty());
    const auto& refreshed = lumraMaterialClassDesc.UIInvalidations();
    ASSERT_EQ(refreshed.size(), 1u);
    EXPECT_EQ(refreshed[0].desc, &lumraParamBlockDesc);
    EXPECT_EQ(refreshed[0].id, mtl_bump_amount);
    EXPECT_EQ(refreshed[0].tabIndex, -1);
    mtl->Update(0, valid);
    EXPECT_FLOAT_EQ(mtl->cached.bumpAmount, 1.0f);
}
