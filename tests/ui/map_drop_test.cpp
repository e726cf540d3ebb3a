// Image files dropped on the panel's map buttons, delivered as the shell delivers
// them or sent straight to the panel.
#include "tests/support/wine.h"
#include "tests/ui/panel_fixture.h"

#include "material/map_slots.h"
#include "ui/map_drop.h"
#include "ui/resource.h"

#include <string>
#include <vector>

namespace {

struct ButtonSlot {
    int button;
    int slot;
};

const ButtonSlot kButtons[] = {
    {IDC_DIFFUSE_MAP, kDiffuseMap},
    {IDC_REFLECT_MAP, kReflectMap},
    {IDC_EMISSION_MAP, kEmissionMap},
    {IDC_TRANSPARENCY_MAP, kTransparencyMap},
    {IDC_NORMAL_MAP, kNormalMap},
    {IDC_REFL_GL_MAP, kReflGlossMap},
    {IDC_TRANSP_GL_MAP, kTranspGlossMap},
    {IDC_OPACITY_MAP, kOpacityMap},
    {IDC_TRANSLUCENCY_MAP, kTranslucencyMap},
    {IDC_REFLECT_ANISOTROPY_MAP, kReflectAnisotropyMap},
    {IDC_REFLECT_ROTATION_MAP, kReflectRotationMap},
};

BitmapTex* BitmapIn(LumraMtl* mtl, int slot) {
    return dynamic_cast<BitmapTex*>(mtl->GetSubTexmap(slot));
}

int MapsIn(LumraMtl* mtl) {
    int n = 0;
    for (int i = 0; i < kNumMapSlots; ++i) n += mtl->GetSubTexmap(i) != nullptr;
    return n;
}

}  // namespace

class MapDrop : public PanelTest {
protected:
    // Hands the drop to the panel's procedure, wherever the point lies, and answers
    // what the procedure answers.
    INT_PTR SendDrop(const std::vector<std::wstring>& paths, POINT at) {
        return CallPageProcedure(WM_DROPFILES,
                                 reinterpret_cast<WPARAM>(winhost::CreateDropHandle(paths, at)), 0);
    }
};

// Drops that land on a map button. Every map button lies inside a group box, and
// Wine's RealChildWindowFromPoint answers the group box, not the button inside it,
// as Windows does: the drop reaches the panel but names no button. Not run under
// Wine for that reason; they run on Linux and Windows.
class MapDropOnButtons : public MapDrop {
protected:
    void SetUp() override {
        MapDrop::SetUp();
        if (RunningUnderWine())
            GTEST_SKIP() << "Wine's RealChildWindowFromPoint does not look past group boxes";
    }
};

TEST_F(MapDropOnButtons, EachButtonFillsItsSlotWithATextureNamedAfterTheFile) {
    for (const ButtonSlot& b : kButtons) {
        SCOPED_TRACE(testing::Message() << "button " << b.button);
        LumraMtl* mtl = NewMaterial();
        Open(mtl);
        const std::wstring path = L"C:\\textures\\set 2\\brick_01.png";
        ASSERT_TRUE(winhost::DropFiles(page, Centre(b.button), {path}));
        BitmapTex* map = BitmapIn(mtl, b.slot);
        ASSERT_NE(map, nullptr);
        EXPECT_EQ(std::wstring(map->GetMapName()), path);
        EXPECT_EQ(std::wstring(map->GetName().data()), L"brick_01");
        EXPECT_EQ(mtl->pblock->GetTexmap(kSlotParamIds[b.slot]), map);
        EXPECT_EQ(MapsIn(mtl), 1);
        EXPECT_TRUE(mtl->ivalid.Empty());
        EXPECT_EQ(Text(b.button), L"brick_01");
        EXPECT_EQ(winhost::OpenDropHandles(), 0);
        editor->Close();
    }
}

TEST_F(MapDropOnButtons, OnlyTheFirstFileOfADropIsAssigned) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    ASSERT_TRUE(winhost::DropFiles(page, Centre(IDC_OPACITY_MAP),
                                   {L"/maps/first.png", L"/maps/second.png", L"/maps/third.png"}));
    ASSERT_NE(BitmapIn(mtl, kOpacityMap), nullptr);
    EXPECT_EQ(std::wstring(BitmapIn(mtl, kOpacityMap)->GetMapName()), L"/maps/first.png");
    EXPECT_EQ(MapsIn(mtl), 1);
}

TEST_F(MapDropOnButtons, ADropReplacesTheSlotsMap) {
    LumraMtl* mtl = NewMaterial();
    BitmapTex* old = NewMap(L"old");
    mtl->SetSubTexmap(kNormalMap, old);
    Open(mtl);
    ASSERT_TRUE(winhost::DropFiles(page, Centre(IDC_NORMAL_MAP), {L"D:\\relief\\rocks.tif"}));
    BitmapTex* now = BitmapIn(mtl, kNormalMap);
    ASSERT_NE(now, nullptr);
    EXPECT_NE(now, old);
    EXPECT_EQ(std::wstring(now->GetName().data()), L"rocks");
    EXPECT_EQ(MapsIn(mtl), 1);
}

TEST_F(MapDrop, ADropBesideTheMapButtonsChangesNothing) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    const RECT label = winhost::WindowRectInParent(Item(IDC_ANISOTROPY_LABEL));
    const POINT places[] = {
        Centre(IDC_DIFFUSE_MULT_SPIN),
        Centre(IDC_DIFFUSE_COLOR),
        Centre(IDC_REFLECT_BRDF),
        POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2},
        DialogPoint(1, 1),     // the panel, outside every group
        DialogPoint(100, 87),  // inside the Reflectivity group, between its controls
        DialogPoint(700, 6),   // outside the panel
    };
    for (const POINT& p : places) {
        SCOPED_TRACE(testing::Message() << "at " << p.x << "," << p.y);
        // The shell finds no window there that takes files...
        EXPECT_FALSE(winhost::DropFiles(page, p, {L"C:\\maps\\brick_01.png"}));
        // ... and a drop sent to the panel anyway is answered, and ignored.
        EXPECT_EQ(SendDrop({L"C:\\maps\\brick_01.png"}, p), TRUE);
        EXPECT_EQ(winhost::OpenDropHandles(), 0);
        EXPECT_EQ(MapsIn(mtl), 0);
        EXPECT_FALSE(mtl->ivalid.Empty());
    }
}

TEST_F(MapDropOnButtons, AnyFileIsTakenUnchecked) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    ASSERT_TRUE(winhost::DropFiles(page, Centre(IDC_EMISSION_MAP), {L"C:\\notes\\readme.txt"}));
    BitmapTex* map = BitmapIn(mtl, kEmissionMap);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(std::wstring(map->GetMapName()), L"C:\\notes\\readme.txt");
    EXPECT_EQ(std::wstring(map->GetName().data()), L"readme");
}

// A path is read whole, however long: a cut path would name another file.
TEST_F(MapDropOnButtons, ALongPathIsReadWhole) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    std::wstring path = L"C:\\";
    while (path.size() < 290) path += L"deep folder\\";
    path.resize(290);
    path += L"\\bb_01.png";  // 300 characters
    ASSERT_EQ(path.size(), 300u);
    EXPECT_EQ(SendDrop({path}, Centre(IDC_TRANSLUCENCY_MAP)), TRUE);
    BitmapTex* map = BitmapIn(mtl, kTranslucencyMap);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(std::wstring(map->GetMapName()), path);
    EXPECT_EQ(std::wstring(map->GetName().data()), L"bb_01");
}

TEST(MapDropTable, OnlyTheElevenMapButtonsAreTargets) {
    int targets = 0;
    for (int id = -1; id < 1200; ++id) targets += DropSlotOfControl(id) >= 0;
    EXPECT_EQ(targets, 11);
    for (const ButtonSlot& b : kButtons) EXPECT_EQ(DropSlotOfControl(b.button), b.slot);
    EXPECT_EQ(DropSlotOfControl(IDC_SPECULAR_MAP), -1);
    EXPECT_EQ(DropSlotOfControl(IDC_SPEC_GL_MAP), -1);
}
