// The material's panel in the material editor: the parameter map's binding of the
// block to the controls, the anisotropy controls following the reflectance model, the
// procedure's answers, and the refresh of a changed parameter's control.
#include "tests/ui/panel_fixture.h"

#include "material/param_ids.h"
#include "ui/lumra_dlg_proc.h"
#include "ui/resource.h"

#include <vector>

namespace {

const int kAnisotropyControls[] = {IDC_REFLECT_ANISOTROPY_EDIT, IDC_REFLECT_ANISOTROPY_SPIN,
                                   IDC_REFLECT_ROTATION_EDIT, IDC_REFLECT_ROTATION_SPIN};
// Beside them, and never switched by the reflectance model.
const int kAnisotropyNeighbours[] = {IDC_ANISOTROPY_LABEL, IDC_ROTATION_LABEL,
                                     IDC_REFLECT_ANISOTROPY_MAP, IDC_REFLECT_ROTATION_MAP};

}  // namespace

class PanelBinding : public PanelTest {};

TEST_F(PanelBinding, OpensOneRolloutShowingTheBlock) {
    LumraMtl* mtl = NewMaterial();
    ASSERT_NE(Open(mtl), nullptr);
    ASSERT_EQ(editor->Pages().size(), 1u);
    EXPECT_EQ(editor->Titles()[0], L"Parameters");
    RECT client{};
    GetClientRect(page, &client);
    EXPECT_EQ(client.right, DialogPoint(217, 422).x);
    EXPECT_EQ(client.bottom, DialogPoint(217, 422).y);
    EXPECT_NE(GetWindowLongPtrW(page, GWLP_USERDATA), 0);

    EXPECT_EQ(Text(IDC_DIFFUSE_MULT_EDIT), L"1.0");
    EXPECT_EQ(Text(IDC_REFLECT_IOR_EDIT), L"1.5");
    EXPECT_EQ(Text(IDC_BUMP_RADIUS_EDIT), L"0.25");
    EXPECT_FLOAT_EQ(winhost::GetSpinnerValue(Item(IDC_BUMP_AMOUNT_SPIN)), 0.2f);
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_AFFECT_SHADOW), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_DIFFUSE_MULT_ON), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(winhost::GetSwatchColor(Item(IDC_DIFFUSE_COLOR)), RGB(204, 204, 204));
    EXPECT_EQ(Text(IDC_DIFFUSE_MAP), L"None");
    EXPECT_EQ(SendMessageW(Item(IDC_REFLECT_BRDF), CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(Text(IDC_REFLECT_BRDF), L"GGX");
    EXPECT_EQ(SendMessageW(Item(IDC_REFLECT_EXTRUSION), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Text(IDC_REFLECT_EXTRUSION), L"strong (recommended)");
    // What the template greys or hides stays so.
    EXPECT_FALSE(Enabled(IDC_ROUGHNESS_MULT_EDIT));
    EXPECT_FALSE(Enabled(IDC_DISPLACEMENT_ON));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_BUMP_SIGMA_EDIT)));
}

TEST_F(PanelBinding, ControlsWriteTheBlockWithinItsRanges) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    ASSERT_TRUE(winhost::ClickButton(Item(IDC_DIFFUSE_MULT_ON)));
    EXPECT_EQ(mtl->pblock->GetInt(mtl_diffuse_mult_on), 1);
    ASSERT_TRUE(winhost::SelectComboItem(Item(IDC_REFLECT_EXTRUSION), 1));
    EXPECT_EQ(mtl->pblock->GetInt(mtl_reflect_extrusion), 1);
    ASSERT_TRUE(winhost::EnterSpinnerValue(Item(IDC_FOG_MULTIPLIER_SPIN), 2000.0f));
    EXPECT_FLOAT_EQ(mtl->pblock->GetFloat(mtl_fog_multiplier), 1000.0f);
    EXPECT_EQ(Text(IDC_FOG_MULTIPLIER_EDIT), L"1000.0");
    // A greyed control cannot be used.
    EXPECT_FALSE(winhost::ClickButton(Item(IDC_DISPLACEMENT_ON)));
    EXPECT_FALSE(winhost::EnterSpinnerValue(Item(IDC_REFLECT_ROTATION_SPIN), 90.0f));
    EXPECT_FLOAT_EQ(mtl->pblock->GetFloat(mtl_reflect_rotation), 0.0f);
    EXPECT_EQ(mtl->pblock->GetInt(mtl_displacement_on), 0);
}

TEST_F(PanelBinding, ClosingThePanelReleasesItsProcedureAndMap) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    EXPECT_NE(lumraParamBlockDesc.GetUserDlgProc(), nullptr);
    EXPECT_EQ(lumraMaterialClassDesc.NumParamMaps(), 1);
    editor->Close();
    EXPECT_FALSE(IsWindow(page));
    EXPECT_EQ(lumraParamBlockDesc.GetUserDlgProc(), nullptr);
    EXPECT_EQ(lumraMaterialClassDesc.NumParamMaps(), 0);
    // A second panel gets a procedure of its own, for its own material.
    LumraMtl* other = NewMaterial();
    Open(other);
    auto* proc = dynamic_cast<LumraMtlDlgProc*>(lumraParamBlockDesc.GetUserDlgProc());
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(proc->Material(), other);
    EXPECT_EQ(proc->Window(), page);
}

TEST_F(PanelBinding, TwoEditorsKeepTheirOwnProcedures) {
    LumraMtl* first = NewMaterial();
    LumraMtl* second = NewMaterial();
    Open(first);
    MtlEditor other;
    ASSERT_TRUE(other.Open(second));
    ASSERT_EQ(lumraMaterialClassDesc.NumParamMaps(), 2);
    for (int i = 0; i < 2; ++i) {
        IParamMap2* map = lumraMaterialClassDesc.GetParamMap(i);
        auto* proc = dynamic_cast<LumraMtlDlgProc*>(map->GetUserDlgProc());
        ASSERT_NE(proc, nullptr);
        EXPECT_EQ(proc->Material(), i == 0 ? first : second);
        EXPECT_EQ(proc->Window(), map->GetHWnd());
    }
    // Each panel follows its own material.
    ASSERT_TRUE(winhost::SelectComboItem(GetDlgItem(other.Pages()[0], IDC_REFLECT_BRDF), 2));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(other.Pages()[0], IDC_REFLECT_ANISOTROPY_EDIT)));
    EXPECT_FALSE(Enabled(IDC_REFLECT_ANISOTROPY_EDIT));
    EXPECT_EQ(first->pblock->GetInt(mtl_reflect_brdf), 3);
}

class PanelAnisotropy : public PanelTest {
protected:
    void ExpectAnisotropy(bool on) {
        for (int id : kAnisotropyControls) EXPECT_EQ(Enabled(id), on) << "control " << id;
        for (int id : kAnisotropyNeighbours) EXPECT_TRUE(Enabled(id)) << "control " << id;
    }
};

TEST_F(PanelAnisotropy, OffForANewMaterialAndOnlyOnForBeckmannAndTrggx) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    ExpectAnisotropy(false);
    const bool expected[] = {false, false, true, false, true};  // Phong ... TRGGX
    for (int model : {2, 0, 4, 1, 2, 3, 4, 3}) {
        SCOPED_TRACE(testing::Message() << "model " << model);
        ASSERT_TRUE(winhost::SelectComboItem(Item(IDC_REFLECT_BRDF), model));
        EXPECT_EQ(mtl->pblock->GetInt(mtl_reflect_brdf), model);
        EXPECT_EQ(mtl->cached.reflectBrdf, model);
        ExpectAnisotropy(expected[model]);
    }
}

TEST_F(PanelAnisotropy, FollowsTheModelWhenThePanelOpens) {
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_reflect_brdf, 0, 4);
    Open(mtl);
    ExpectAnisotropy(true);
    EXPECT_EQ(mtl->cached.reflectBrdf, 4);
}

TEST_F(PanelAnisotropy, OtherNotificationsAndOtherChangesLeaveThemAlone) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    // A script chooses Beckmann: nothing follows until the combo box says so.
    mtl->pblock->SetValue(mtl_reflect_brdf, 0, 2);
    ExpectAnisotropy(false);
    for (WORD code : {CBN_DROPDOWN, CBN_SETFOCUS, CBN_EDITCHANGE}) {
        EXPECT_EQ(CallPageProcedure(WM_COMMAND, MAKEWPARAM(IDC_REFLECT_BRDF, code),
                                    reinterpret_cast<LPARAM>(Item(IDC_REFLECT_BRDF))),
                  TRUE);
        ExpectAnisotropy(false);
    }
    EXPECT_EQ(mtl->cached.reflectBrdf, 3);
    // Any other control's command is answered too.
    EXPECT_EQ(CallPageProcedure(WM_COMMAND, MAKEWPARAM(IDC_REFLECT_EXTRUSION, CBN_SELCHANGE), 0),
              TRUE);
    ExpectAnisotropy(false);
    // Sent to the dialog, a handled command answers the DWLP_MSGRESULT the procedure
    // left, 0, as Windows answers it.
    EXPECT_EQ(SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_REFLECT_BRDF, CBN_SELCHANGE), 0), 0);
    ExpectAnisotropy(true);
}

TEST_F(PanelAnisotropy, WithoutTheMapsUserDataOnlyTheOpeningIsHandled) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    IParamMap2* map = lumraMaterialClassDesc.GetParamMap(&lumraParamBlockDesc);
    ASSERT_NE(map, nullptr);
    mtl->pblock->SetValue(mtl_reflect_brdf, 0, 2);
    LumraMtlDlgProc proc(mtl);
    const LONG_PTR userData = SetWindowLongPtrW(page, GWLP_USERDATA, 0);
    HDROP drop = winhost::CreateDropHandle({L"C:\\maps\\brick_01.png"}, Centre(IDC_DIFFUSE_MAP));
    EXPECT_EQ(
        proc.DlgProc(0, map, page, WM_COMMAND, MAKEWPARAM(IDC_REFLECT_BRDF, CBN_SELCHANGE), 0),
        FALSE);
    EXPECT_EQ(proc.DlgProc(0, map, page, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0), FALSE);
    EXPECT_EQ(proc.DlgProc(0, map, page, WM_DESTROY, 0, 0), FALSE);
    ExpectAnisotropy(false);
    EXPECT_EQ(mtl->GetSubTexmap(0), nullptr);
    EXPECT_EQ(mtl->cached.reflectBrdf, 3);
    EXPECT_EQ(proc.Window(), page);
    // The opening is handled all the same.
    EXPECT_EQ(proc.DlgProc(0, map, page, WM_INITDIALOG, 0, 0), TRUE);
    ExpectAnisotropy(true);
    DragFinish(drop);
    SetWindowLongPtrW(page, GWLP_USERDATA, userData);
}

class PanelRefresh : public PanelTest {};

TEST_F(PanelRefresh, ABlockChangeRefreshesThatParametersControlsOnly) {
    LumraMtl* mtl = NewMaterial();
    Open(mtl);
    SetWindowTextW(Item(IDC_DIFFUSE_MULT_EDIT), L"stale");
    SetWindowTextW(Item(IDC_REFLECT_MULT_EDIT), L"stale");
    CheckDlgButton(page, IDC_EMISSION_GI, BST_UNCHECKED);
    lumraMaterialClassDesc.ClearUIInvalidations();

    mtl->pblock->SetValue(mtl_diffuse_mult, 0, 2.5f);
    EXPECT_EQ(Text(IDC_DIFFUSE_MULT_EDIT), L"2.5");
    EXPECT_FLOAT_EQ(winhost::GetSpinnerValue(Item(IDC_DIFFUSE_MULT_SPIN)), 2.5f);
    EXPECT_EQ(Text(IDC_REFLECT_MULT_EDIT), L"stale");
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_EMISSION_GI), static_cast<UINT>(BST_UNCHECKED));
    ASSERT_EQ(lumraMaterialClassDesc.UIInvalidations().size(), 1u);
    EXPECT_EQ(lumraMaterialClassDesc.UIInvalidations()[0].id, mtl_diffuse_mult);

    mtl->pblock->SetValue(mtl_fog_color, 0, Color(1.0f, 0.5f, 0.0f));
    EXPECT_EQ(winhost::GetSwatchColor(Item(IDC_FOG_COLOR)), RGB(255, 128, 0));
    mtl->pblock->SetValue(mtl_reflect_brdf, 0, 4);
    EXPECT_EQ(Text(IDC_REFLECT_BRDF), L"TRGGX");
}

TEST_F(PanelRefresh, AMapsOwnChangeOnlyEmptiesTheValidity) {
    LumraMtl* mtl = NewMaterial();
    BitmapTex* map = NewMap(L"bricks");
    mtl->SetSubTexmap(kDiffuseMap, map);
    Open(mtl);
    EXPECT_EQ(Text(IDC_DIFFUSE_MAP), L"bricks");
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    ASSERT_FALSE(mtl->ivalid.Empty());
    SetWindowTextW(Item(IDC_DIFFUSE_MAP), L"stale");
    lumraMaterialClassDesc.ClearUIInvalidations();

    map->SetMapName(L"C:\\maps\\other.png");
    EXPECT_TRUE(mtl->ivalid.Empty());
    EXPECT_TRUE(lumraMaterialClassDesc.UIInvalidations().empty());
    EXPECT_EQ(Text(IDC_DIFFUSE_MAP), L"stale");
}
