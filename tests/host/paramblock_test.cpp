// Parameter-block declarations and blocks: values, ranges, animation, validity,
// owner-held maps and change notification.
#include "iparamb.h"
#include "iparamb2.h"
#include "paramblock2.h"
#include "stdmat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

enum { kGain = 1, kTint = 2, kMode = 3, kOn = 4, kMap = 5, kCount = 6, kSteps = 7 };

class TestClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return FALSE; }
    void* Create(BOOL) override { return nullptr; }
    const MCHAR* ClassName() override { return L"Test"; }
    SClass_ID SuperClassID() override { return MATERIAL_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(1, 2); }
    const MCHAR* Category() override { return L""; }
};

// An owner with one map reference (0) and the block (1).
class Owner : public ReferenceTarget {
public:
    SClass_ID SuperClassID() override { return MATERIAL_CLASS_ID; }
    int NumRefs() override { return 2; }
    RefTargetHandle GetReference(int i) override { return i == 0 ? map : block; }
    ReferenceTarget* map = nullptr;
    IParamBlock2* block = nullptr;
    std::vector<ParamID> changed;

protected:
    void SetReference(int i, RefTargetHandle t) override {
        if (i == 0)
            map = t;
        else
            block = static_cast<IParamBlock2*>(t);
    }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle h, PartID&, RefMessage m,
                               BOOL) override {
        if (m == REFMSG_CHANGE && h == block && block)
            changed.push_back(block->LastNotifyParamID());
        return REF_SUCCEED;
    }
};

TestClassDesc testDesc;
// clang-format off
ParamBlockDesc2 testBlockDesc(
    7, L"test", 0, &testDesc, P_AUTO_CONSTRUCT, 1,
    kGain, L"gain", TYPE_FLOAT, P_ANIMATABLE, 10,
        p_default, 0.5, p_range, 0.0, 2.0, p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, 100, 101, 0.1, p_end,
    kTint, L"tint", TYPE_RGBA, P_ANIMATABLE, 11,
        p_default, Color(0.2f, 0.4f, 0.6f), p_ui, TYPE_COLORSWATCH, 102, p_end,
    kMode, L"mode", TYPE_INT, P_ANIMATABLE | P_RESET_DEFAULT, 12,
        p_default, 1, p_ui, TYPE_INT_COMBOBOX, 103, 3, 20, 21, 22, p_tooltip, 12, p_end,
    kOn, L"on,", TYPE_BOOL, 0, 13,
        p_default, TRUE, p_ui, TYPE_SINGLECHEKBOX, 104, p_end,
    kMap, L"map", TYPE_TEXMAP, P_OWNERS_REF, 14,
        p_refno, 0, p_subtexno, 0, p_ui, TYPE_TEXMAPBUTTON, 105, p_end,
    kCount, L"count", TYPE_INT, 0, 15,
        p_default, 0, p_range, -1, 3, p_ui, TYPE_RADIO, 2, 106, 107, p_end,
    kSteps, L"steps", TYPE_INT, P_ANIMATABLE, 16,
        p_default, 0, p_ui, TYPE_SPINNER, EDITTYPE_INT, 108, 109, 1.0, p_end,
    p_end);
// clang-format on

class ParamBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner = new Owner();
        testDesc.MakeAutoParamBlocks(owner);
        ASSERT_NE(owner->block, nullptr);
        block = owner->block;
    }
    void TearDown() override {
        AnimateOff();
        owner->DeleteMe();
    }
    Owner* owner = nullptr;
    IParamBlock2* block = nullptr;
};

// The first edition's upgrade: entries are carried by id (or to the id their fifth
// field names), animation kept where the new parameter is animatable, and the new
// block replaces the old one in its owner.
TEST_F(ParamBlockTest, UpgradeCarriesEntriesByIdIntoANewBlock) {
    ParamBlockDescID layout[] = {
        {TYPE_FLOAT, nullptr, TRUE, 90, kGain},  // renamed: 90 becomes gain
        {TYPE_RGBA, nullptr, TRUE, kTint},       // the same id
        {TYPE_INT, nullptr, FALSE, kMode, -1},   // not carried over
        {TYPE_BOOL, nullptr, FALSE, kOn},
        {TYPE_USER, nullptr, FALSE, kMap},    // a map: no value of its own
        {TYPE_FLOAT, nullptr, TRUE, kCount},  // the type changed since: dropped
    };
    ParamVersionDesc versions[] = {ParamVersionDesc(layout, 6, 3)};
    IParamBlock* old = CreateParameterBlock(layout, 6, 3);
    old->SetValueAt(0, 0, 1.25f);
    AnimateOn();
    old->SetValueAt(1, 0, Color(0.0f, 0.0f, 0.0f));
    old->SetValueAt(1, 100, Color(1.0f, 0.5f, 0.0f));
    AnimateOff();
    old->SetValueAt(2, 0, 2);
    old->SetValueAt(3, 0, 0);
    old->SetValueAt(5, 0, 9.0f);
    owner->ReplaceReference(1, old);
    ASSERT_EQ(owner->block, old);

    (new ParamBlock2PLCB(versions, 1, &testBlockDesc, owner, 1))->proc(nullptr);
    IParamBlock2* upgraded = owner->block;
    ASSERT_NE(upgraded, nullptr);
    ASSERT_EQ(upgraded->GetDesc(), &testBlockDesc);
    EXPECT_EQ(upgraded->GetOwner(), owner);
    EXPECT_FLOAT_EQ(upgraded->GetFloat(kGain), 1.25f);
    EXPECT_EQ(upgraded->GetColor(kTint, 50), Color(0.5f, 0.25f, 0.0f));
    EXPECT_TRUE(upgraded->IsAnimated(kTint));
    EXPECT_EQ(upgraded->GetInt(kMode), 1);  // the default
    EXPECT_EQ(upgraded->GetInt(kOn), FALSE);
    EXPECT_EQ(upgraded->GetInt(kCount), 0);  // the default
}

TEST_F(ParamBlockTest, UpgradeLeavesASecondEditionBlockAlone) {
    block->SetValue(kGain, 0, 1.5f);
    ParamBlockDescID layout[] = {{TYPE_FLOAT, nullptr, TRUE, kGain}};
    ParamVersionDesc versions[] = {ParamVersionDesc(layout, 1, 0)};
    (new ParamBlock2PLCB(versions, 1, &testBlockDesc, owner, 1))->proc(nullptr);
    EXPECT_EQ(owner->block, block);
    EXPECT_FLOAT_EQ(block->GetFloat(kGain), 1.5f);
}

}  // namespace

TEST(ParamBlockDesc, ReadsTheTaggedDeclaration) {
    EXPECT_TRUE(testBlockDesc.DeclarationError().empty()) << testBlockDesc.DeclarationError();
    ASSERT_EQ(testBlockDesc.Count(), 7);
    EXPECT_EQ(testDesc.GetParamBlockDescByID(7), &testBlockDesc);
    EXPECT_EQ(testBlockDesc.ref_no, 1);
    EXPECT_EQ(testBlockDesc.NameToIndex(L"on,"), 3);
    EXPECT_EQ(testBlockDesc.IDtoIndex(0), -1);

    const ParamDef& gain = testBlockDesc.GetParamDef(kGain);
    EXPECT_FLOAT_EQ(gain.def.f, 0.5f);
    EXPECT_TRUE(gain.has_range);
    EXPECT_FLOAT_EQ(gain.range_high.f, 2.0f);
    EXPECT_EQ(gain.ctrl_IDs, (std::vector<int>{100, 101}));
    EXPECT_FLOAT_EQ(gain.scale, 0.1f);

    EXPECT_EQ(testBlockDesc.GetParamDef(kTint).def.c, Color(0.2f, 0.4f, 0.6f));
    const ParamDef& mode = testBlockDesc.GetParamDef(kMode);
    EXPECT_EQ(mode.ctrl_type, TYPE_INT_COMBOBOX);
    EXPECT_EQ(mode.combo_items, (std::vector<StringResID>{20, 21, 22}));
    EXPECT_EQ(mode.tooltip, 12);
    EXPECT_EQ(testBlockDesc.GetParamDef(kMap).ref_no, 0);
    EXPECT_EQ(testBlockDesc.GetParamDef(kCount).ctrl_IDs, (std::vector<int>{106, 107}));
}

TEST(ParamBlockDesc, StopsAtAnUnknownTagAndSaysSo) {
    TestClassDesc cd;
    // clang-format off
    ParamBlockDesc2 bad(0, L"bad", 0, &cd, 0,
                        1, L"a", TYPE_FLOAT, 0, 1, p_default, 1.0, p_end,
                        2, L"b", TYPE_FLOAT, 0, 1, p_validator, nullptr, p_end,
                        p_end);
    // clang-format on
    EXPECT_EQ(bad.Count(), 1);
    EXPECT_NE(bad.DeclarationError().find("'b'"), std::string::npos);
}

TEST_F(ParamBlockTest, NewBlockHoldsDefaultsAndKeepsValuesInRange) {
    EXPECT_FLOAT_EQ(block->GetFloat(kGain), 0.5f);
    EXPECT_EQ(block->GetColor(kTint), Color(0.2f, 0.4f, 0.6f));
    EXPECT_EQ(block->GetInt(kMode), 1);
    EXPECT_EQ(block->GetInt(kOn), TRUE);

    EXPECT_TRUE(block->SetValue(kGain, 0, 9.0f));
    EXPECT_FLOAT_EQ(block->GetFloat(kGain), 2.0f);
    EXPECT_TRUE(block->SetValue(kCount, 0, -7));
    EXPECT_EQ(block->GetInt(kCount), -1);
    EXPECT_FALSE(block->SetValue(kGain, 0, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(block->SetValue(kGain, 0, -std::numeric_limits<float>::infinity()));
    EXPECT_FLOAT_EQ(block->GetFloat(kGain), 2.0f);
    EXPECT_FALSE(
        block->SetValue(kTint, 0, Color(0.0f, std::numeric_limits<float>::infinity(), 0.0f)));
    EXPECT_FALSE(block->SetValue(kMode, 0, 3));  // the list's choices are 0 to 2
    EXPECT_EQ(block->GetInt(kMode), 1);

    // Unknown ids and mismatched types are refused, leaving outputs alone.
    float f = -1.0f;
    Interval valid = FOREVER;
    EXPECT_FALSE(block->GetValue(99, 0, f, valid));
    EXPECT_FALSE(block->GetValue(kTint, 0, f, valid));
    EXPECT_FLOAT_EQ(f, -1.0f);
    EXPECT_FALSE(block->SetValue(kOn, 0, 1.0f));
}

// Something that keeps a block alive without owning it, as the scene loader does.
class Keeper : public ReferenceMaker {
public:
    SClass_ID SuperClassID() override { return 0; }
    bool CountsAsOwner() override { return false; }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int) override { return kept; }
    ReferenceTarget* kept = nullptr;

protected:
    void SetReference(int, RefTargetHandle t) override { kept = t; }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
};

TEST_F(ParamBlockTest, AnOwnerThatLetsTheBlockGoIsForgotten) {
    Keeper keeper;
    keeper.ReplaceReference(0, block);
    EXPECT_EQ(block->GetOwner(), owner);
    owner->DeleteReference(1);
    EXPECT_EQ(block->GetOwner(), nullptr);
    BitmapTex* tex = NewDefaultBitmapTex();
    EXPECT_FALSE(block->SetValue(kMap, 0, static_cast<Texmap*>(tex)));  // no owner to hold it
    tex->DeleteMe();

    // Destroyed outright, an owner is forgotten too: no map setting reaches it.
    auto* second = new Owner();
    second->ReplaceReference(1, block);
    EXPECT_EQ(block->GetOwner(), second);
    delete second;
    EXPECT_EQ(block->GetOwner(), nullptr);
    EXPECT_FALSE(block->SetValue(kMap, 0, static_cast<Texmap*>(nullptr)));

    owner->ReplaceReference(1, block);
    EXPECT_EQ(block->GetOwner(), owner);
    keeper.DeleteReference(0);
}

TEST_F(ParamBlockTest, EverySetNotifiesTheOwnerWithTheParameterId) {
    block->SetValue(kGain, 0, 1.0f);
    block->SetValue(kTint, 0, Color(1, 1, 1));
    block->SetValue(kOn, 0, FALSE);
    EXPECT_EQ(owner->changed, (std::vector<ParamID>{kGain, kTint, kOn}));
    EXPECT_EQ(block->LastNotifyParamID(), -1);
}

TEST_F(ParamBlockTest, MapsAreHeldByTheOwner) {
    BitmapTex* tex = NewDefaultBitmapTex();
    EXPECT_TRUE(block->SetValue(kMap, 0, static_cast<Texmap*>(tex)));
    EXPECT_EQ(owner->map, tex);
    EXPECT_EQ(block->GetTexmap(kMap), tex);
    EXPECT_EQ(owner->changed.back(), kMap);
    EXPECT_TRUE(block->SetValue(kMap, 0, static_cast<Texmap*>(nullptr)));
    EXPECT_EQ(owner->map, nullptr);  // and the texture, unreferenced, is gone
}

TEST_F(ParamBlockTest, AnimationInterpolatesAndNarrowsValidity) {
    AnimateOn();
    block->SetValue(kGain, 100, 1.5f);  // keys 0 (the old 0.5) and 100
    block->SetValue(kTint, 100, Color(1.0f, 1.0f, 1.0f));
    block->SetValue(kMode, 100, 2);
    block->SetValue(kOn, 100, FALSE);  // not animatable: a plain change
    AnimateOff();
    EXPECT_TRUE(block->IsAnimated(kGain));
    EXPECT_FALSE(block->IsAnimated(kOn));
    EXPECT_EQ(block->GetInt(kOn, 0), FALSE);

    float f = 0.0f;
    Interval valid = FOREVER;
    block->GetValue(kGain, 50, f, valid);
    EXPECT_FLOAT_EQ(f, 1.0f);
    EXPECT_EQ(valid, Interval(50, 50));

    valid = FOREVER;
    block->GetValue(kGain, 200, f, valid);
    EXPECT_FLOAT_EQ(f, 1.5f);
    EXPECT_EQ(valid, Interval(100, TIME_PosInfinity));

    valid = FOREVER;
    block->GetValue(kGain, -10, f, valid);
    EXPECT_FLOAT_EQ(f, 0.5f);
    EXPECT_EQ(valid, Interval(TIME_NegInfinity, 0));

    Color c;
    valid = FOREVER;
    block->GetValue(kTint, 25, c, valid);
    EXPECT_NEAR(c.g, 0.4f + 0.6f * 0.25f, 1e-6f);

    // Integers hold until the next key.
    int mode = 0;
    valid = FOREVER;
    block->GetValue(kMode, 60, mode, valid);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(valid, Interval(0, 99));

    // A constant narrows nothing.
    valid = Interval(3, 8);
    block->GetValue(kCount, 5, mode, valid);
    EXPECT_EQ(valid, Interval(3, 8));
}

TEST_F(ParamBlockTest, ChangingAnAnimatedValueOutsideAnimateModeMovesTheCurve) {
    AnimateOn();
    block->SetValue(kGain, 100, 1.5f);
    AnimateOff();
    block->SetValue(kGain, 50, 1.25f);  // was 1.0 at 50
    EXPECT_FLOAT_EQ(block->GetFloat(kGain, 0), 0.75f);
    EXPECT_FLOAT_EQ(block->GetFloat(kGain, 100), 1.75f);
    block->SetValue(kGain, 100, 0.25f);  // on a key: that key only
    EXPECT_FLOAT_EQ(block->GetFloat(kGain, 100), 0.25f);
    EXPECT_FLOAT_EQ(block->GetFloat(kGain, 0), 0.75f);

    // A move that would take a key off the list of choices is refused whole.
    AnimateOn();
    block->SetValue(kMode, 100, 2);  // keys 0 (1) and 100 (2)
    AnimateOff();
    EXPECT_FALSE(block->SetValue(kMode, 50, 2));
    EXPECT_EQ(block->GetInt(kMode, 50), 1);
    EXPECT_EQ(block->GetInt(kMode, 100), 2);

    block->ResetAll();
    EXPECT_FALSE(block->IsAnimated(kGain));
    EXPECT_FLOAT_EQ(block->GetFloat(kGain, 100), 0.5f);
}

TEST_F(ParamBlockTest, CloneCopiesValuesAndAnimationAndJoinsItsNewOwner) {
    AnimateOn();
    block->SetValue(kGain, 100, 1.5f);
    AnimateOff();
    block->SetValue(kOn, 0, FALSE);

    auto* other = new Owner();
    RemapDir* remap = NewRemapDir();
    other->ReplaceReference(1, remap->CloneRef(block));
    remap->DeleteThis();
    ASSERT_NE(other->block, nullptr);
    EXPECT_NE(other->block, block);
    EXPECT_EQ(other->block->GetOwner(), other);
    EXPECT_FLOAT_EQ(other->block->GetFloat(kGain, 50), 1.0f);
    EXPECT_EQ(other->block->GetInt(kOn), FALSE);
    other->block->SetValue(kGain, 0, 2.0f);
    EXPECT_FLOAT_EQ(block->GetFloat(kGain, 0), 0.5f);
    other->DeleteMe();
}

// Keys at the ends of time and of the integers, as a file may hold them: reading,
// keying and moving the animation never overflow (the sanitizer build checks).
TEST_F(ParamBlockTest, KeysAtTheEndsOfTimeAndOfTheIntegersAreSafe) {
    constexpr TimeValue kTimes[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
    constexpr int kInts[] = {INT_MIN, -1, 0, INT_MAX};
    constexpr float kMax = std::numeric_limits<float>::max();
    auto* pb = static_cast<ParamBlock2*>(block);
    auto intKey = [](TimeValue t, int i) {
        PB2Value v;
        v.i = i;
        return ParamBlock2::Key{t, v};
    };
    auto colorKey = [](TimeValue t, float f) {
        PB2Value v;
        v.c = Color(f, -f, 0.0f);
        return ParamBlock2::Key{t, v};
    };
    for (TimeValue a : kTimes) {
        for (TimeValue b : kTimes) {
            if (a >= b) continue;
            for (int va : kInts) {
                for (int vb : kInts) {
                    for (TimeValue t : kTimes) {
                        ASSERT_TRUE(pb->SetKeys(kSteps, {intKey(a, va), intKey(b, vb)}));
                        ASSERT_TRUE(pb->SetKeys(kTint, {colorKey(a, -kMax), colorKey(b, kMax)}));
                        int v = 0;
                        Interval valid = FOREVER;
                        ASSERT_TRUE(pb->GetValue(kSteps, t, v, valid));
                        EXPECT_EQ(v, t < b ? va : vb);
                        EXPECT_TRUE(valid.InInterval(t) || t == TIME_NegInfinity);
                        Color c;
                        pb->GetValue(kTint, t, c, valid);
                        // Outside animate mode the whole animation moves, by more than
                        // an int spans.
                        const int target = v == INT_MIN ? INT_MAX : INT_MIN;
                        EXPECT_TRUE(pb->SetValue(kSteps, t, target));
                        EXPECT_EQ(pb->GetInt(kSteps, t), target);
                        pb->SetValue(kTint, t, Color(kMax, kMax, kMax));
                    }
                    AnimateOn();
                    for (TimeValue t : kTimes) EXPECT_TRUE(pb->SetValue(kSteps, t, va));
                    AnimateOff();
                    EXPECT_EQ(pb->Keys(kSteps).size(), std::size(kTimes));
                }
            }
        }
    }
    EXPECT_EQ(FOREVER.Duration(), TIME_PosInfinity);
    EXPECT_EQ(Interval(-5, 4).Duration(), 10);
}
