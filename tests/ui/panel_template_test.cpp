// The panel's dialog template as the module carries it (read from its resources as
// Windows reads them): every control with its id, class, style, text and place, and
// its agreement with the block's bindings.
#include "tests/ui/panel_fixture.h"

#include "material/param_ids.h"
#include "plugin/string_table.h"
#include "ui/resource.h"

#include "resource_format.h"

#include <algorithm>
#include <cwctype>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

namespace {

enum Kind { kGroup, kLabelRight, kLabelCentre, kCheck, kCombo, kCustom };
enum State { kNormal, kDisabled, kHidden };

struct Expected {
    int id;
    Kind kind;
    const wchar_t* cls;
    const wchar_t* text;
    short x, y, cx, cy;  // dialog units
    State state;
};

// Template order, group by group.
const Expected kPanel[] = {
    {-1, kGroup, L"BUTTON", L"Diffuse", 0, 5, 215, 40, kNormal},
    {-1, kLabelRight, L"STATIC", L"Multiply", 5, 15, 34, 8, kNormal},
    {1042, kCustom, L"CustEdit", L"", 45, 15, 20, 10, kNormal},
    {1043, kCustom, L"SpinnerControl", L"", 70, 15, 10, 10, kNormal},
    {1003, kCustom, L"CustButton", L"", 85, 15, 85, 10, kNormal},
    {1002, kCustom, L"ColorSwatch", L"", 175, 15, 35, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Roughness", 5, 30, 35, 8, kNormal},
    {1095, kCustom, L"CustEdit", L"", 45, 30, 20, 10, kDisabled},
    {1097, kCustom, L"SpinnerControl", L"", 70, 30, 10, 10, kDisabled},
    {-1, kLabelRight, L"STATIC", L"Tint", 175, 30, 20, 8, kNormal},
    {1041, kCheck, L"BUTTON", L"", 200, 30, 10, 10, kNormal},
    {-1, kGroup, L"BUTTON", L"Reflectivity", 0, 50, 215, 90, kNormal},
    {-1, kLabelRight, L"STATIC", L"Multiply", 10, 60, 30, 8, kNormal},
    {1054, kCustom, L"CustEdit", L"", 45, 60, 20, 10, kNormal},
    {1055, kCustom, L"SpinnerControl", L"", 70, 60, 10, 10, kNormal},
    {1012, kCustom, L"CustButton", L"", 85, 60, 85, 10, kNormal},
    {1011, kCustom, L"ColorSwatch", L"", 175, 60, 35, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Glossiness", 5, 75, 35, 8, kNormal},
    {1072, kCustom, L"CustEdit", L"", 45, 75, 20, 10, kNormal},
    {1073, kCustom, L"SpinnerControl", L"", 70, 75, 10, 10, kNormal},
    {1066, kCustom, L"CustButton", L"", 85, 75, 85, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Tint", 180, 75, 15, 8, kNormal},
    {1053, kCheck, L"BUTTON", L"", 200, 75, 10, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"IOR", 25, 90, 16, 8, kNormal},
    {1061, kCustom, L"CustEdit", L"", 45, 90, 20, 10, kNormal},
    {1062, kCustom, L"SpinnerControl", L"", 70, 90, 10, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Fresnel", 170, 90, 25, 8, kNormal},
    {1076, kCheck, L"BUTTON", L"", 200, 90, 10, 10, kNormal},
    {1100, kLabelRight, L"STATIC", L"Anisotropy", 5, 105, 36, 8, kNormal},
    {1102, kCustom, L"CustEdit", L"", 45, 105, 20, 10, kNormal},
    {1103, kCustom, L"SpinnerControl", L"", 70, 105, 10, 10, kNormal},
    {1105, kCustom, L"CustButton", L"", 85, 105, 20, 10, kNormal},
    {1099, kLabelRight, L"STATIC", L"Rotation", 110, 105, 35, 8, kNormal},
    {1101, kCustom, L"CustEdit", L"", 150, 105, 20, 10, kNormal},
    {1104, kCustom, L"SpinnerControl", L"", 175, 105, 10, 10, kNormal},
    {1106, kCustom, L"CustButton", L"", 190, 105, 20, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"BRDF type", 5, 120, 35, 8, kNormal},
    {1013, kCombo, L"COMBOBOX", L"", 45, 120, 65, 12, kNormal},
    {-1, kLabelRight, L"STATIC", L"Extrusion", 115, 120, 30, 8, kNormal},
    {1094, kCombo, L"COMBOBOX", L"", 150, 120, 60, 12, kNormal},
    {-1, kGroup, L"BUTTON", L"Transparency", 0, 145, 215, 70, kNormal},
    {-1, kLabelRight, L"STATIC", L"Multiply", 10, 155, 30, 8, kNormal},
    {1057, kCustom, L"CustEdit", L"", 45, 155, 20, 10, kNormal},
    {1058, kCustom, L"SpinnerControl", L"", 70, 155, 10, 10, kNormal},
    {1025, kCustom, L"CustButton", L"", 85, 155, 85, 10, kNormal},
    {1018, kCustom, L"ColorSwatch", L"", 175, 155, 35, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Glossiness", 5, 170, 35, 8, kNormal},
    {1077, kCustom, L"CustEdit", L"", 45, 170, 20, 10, kNormal},
    {1078, kCustom, L"SpinnerControl", L"", 70, 170, 10, 10, kNormal},
    {1079, kCustom, L"CustButton", L"", 85, 170, 85, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Tint", 180, 170, 15, 8, kNormal},
    {1056, kCheck, L"BUTTON", L"", 200, 170, 10, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Dist. mult.", 8, 184, 32, 8, kNormal},
    {1026, kCustom, L"CustEdit", L"", 45, 185, 20, 10, kNormal},
    {1027, kCustom, L"SpinnerControl", L"", 70, 185, 10, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Distance color", 124, 185, 46, 8, kNormal},
    {1023, kCustom, L"ColorSwatch", L"", 175, 185, 35, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"IOR", 20, 200, 20, 8, kNormal},
    {1019, kCustom, L"CustEdit", L"", 45, 200, 20, 10, kNormal},
    {1020, kCustom, L"SpinnerControl", L"", 70, 200, 10, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Thin (no refract)", 140, 200, 55, 8, kNormal},
    {1059, kCheck, L"BUTTON", L"", 200, 200, 10, 10, kNormal},
    {-1, kGroup, L"BUTTON", L"Opacity/Special", 0, 220, 215, 40, kNormal},
    {-1, kLabelRight, L"STATIC", L"Opacity map", 35, 230, 45, 8, kNormal},
    {1088, kCustom, L"CustButton", L"", 85, 230, 85, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Cast shadows", 30, 245, 50, 8, kNormal},
    {1111, kCheck, L"BUTTON", L"", 85, 245, 10, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Smooth", 165, 245, 30, 8, kNormal},
    {1113, kCheck, L"BUTTON", L"", 200, 245, 10, 8, kNormal},
    {-1, kGroup, L"BUTTON", L"Translucency", 0, 265, 215, 40, kNormal},
    {-1, kLabelRight, L"STATIC", L"Multiply", 10, 275, 30, 8, kNormal},
    {1089, kCustom, L"CustEdit", L"", 45, 275, 20, 10, kNormal},
    {1090, kCustom, L"SpinnerControl", L"", 70, 275, 10, 10, kNormal},
    {1092, kCustom, L"CustButton", L"", 85, 275, 85, 10, kNormal},
    {1091, kCustom, L"ColorSwatch", L"", 175, 275, 35, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Tint", 180, 290, 15, 8, kNormal},
    {1093, kCheck, L"BUTTON", L"", 200, 290, 10, 10, kNormal},
    {-1, kGroup, L"BUTTON", L"Emission", 0, 310, 215, 40, kNormal},
    {1028, kCustom, L"CustEdit", L"", 45, 320, 20, 10, kNormal},
    {1039, kCustom, L"SpinnerControl", L"", 70, 320, 10, 10, kNormal},
    {1017, kCustom, L"CustButton", L"", 85, 320, 85, 10, kNormal},
    {1016, kCustom, L"ColorSwatch", L"", 175, 320, 35, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Multiply", 5, 321, 35, 8, kNormal},
    {-1, kLabelRight, L"STATIC", L"Cast GI", 10, 335, 30, 8, kNormal},
    {1087, kCheck, L"BUTTON", L"", 45, 335, 10, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Tint", 175, 335, 20, 8, kNormal},
    {1040, kCheck, L"BUTTON", L"", 200, 335, 10, 10, kNormal},
    {-1, kGroup, L"BUTTON", L"Relief", 0, 355, 215, 65, kNormal},
    {-1, kLabelCentre, L"STATIC", L"Height or normal map", 85, 365, 85, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Height", 15, 375, 25, 8, kNormal},
    {1051, kCustom, L"CustEdit", L"", 45, 375, 20, 10, kNormal},
    {1082, kCustom, L"SpinnerControl", L"", 70, 375, 10, 10, kNormal},
    {1034, kCustom, L"CustButton", L"", 85, 375, 85, 10, kNormal},
    {-1, kLabelCentre, L"STATIC", L"Sigma blur", 243, 378, 55, 8, kHidden},
    {1085, kCustom, L"CustEdit", L"", 303, 378, 40, 10, kHidden},
    {1086, kCustom, L"SpinnerControl", L"", 347, 378, 10, 10, kHidden},
    {-1, kLabelRight, L"STATIC", L"Parallax", 14, 390, 26, 8, kDisabled},
    {1030, kCustom, L"CustEdit", L"", 45, 390, 20, 10, kDisabled},
    {1031, kCustom, L"SpinnerControl", L"", 70, 390, 10, 10, kDisabled},
    {-1, kLabelRight, L"STATIC", L"Parallax", 165, 390, 30, 8, kDisabled},
    {1024, kCheck, L"BUTTON", L"", 200, 390, 10, 10, kDisabled},
    {-1, kLabelRight, L"STATIC", L"Smooth lvl.", 5, 405, 35, 8, kNormal},
    {1083, kCustom, L"CustEdit", L"", 45, 405, 20, 10, kNormal},
    {1084, kCustom, L"SpinnerControl", L"", 70, 405, 10, 10, kNormal},
    {-1, kLabelRight, L"STATIC", L"Invert height", 150, 405, 45, 8, kNormal},
    {1037, kCheck, L"BUTTON", L"", 200, 405, 10, 10, kNormal},
};

DWORD StyleOf(Kind kind) {
    switch (kind) {
        case kGroup:
            return BS_GROUPBOX;
        case kLabelRight:
            return SS_RIGHT | WS_GROUP;
        case kLabelCentre:
            return SS_CENTER | WS_GROUP;
        case kCheck:
            return BS_AUTOCHECKBOX | WS_TABSTOP;
        case kCombo:
            return CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP;
        case kCustom:
            return WS_TABSTOP;
    }
    return 0;
}

// Windows compares class names without regard to case; the resource compiler
// writes them in capitals.
bool SameClass(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towupper(static_cast<wint_t>(x)) ==
                      std::towupper(static_cast<wint_t>(y));
           });
}

// The template's bytes in the module.
std::string_view TemplateBytes(WORD id) {
    HRSRC found = FindResourceW(hInstance, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (!found) return {};
    const void* data = LockResource(LoadResource(hInstance, found));
    return {static_cast<const char*>(data), SizeofResource(hInstance, found)};
}

std::optional<winres::DialogTemplate> Template(WORD id) {
    const std::string_view bytes = TemplateBytes(id);
    winres::DialogTemplate d;
    if (bytes.empty() || !winres::ReadDialogTemplate(bytes.data(), bytes.size(), &d)) return {};
    return d;
}

class PanelTemplate : public PluginTest {};

}  // namespace

TEST_F(PanelTemplate, HeadIsAnExtendedChildDialogInMsSansSerif) {
    const auto d = Template(IDD_LUMRA_PARAMS);
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->extended);
    EXPECT_EQ(d->cx, 217);
    EXPECT_EQ(d->cy, 422);
    EXPECT_EQ(d->style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | DS_SETFONT));
    EXPECT_EQ(std::wstring(d->typeface), L"MS Sans Serif");
    EXPECT_EQ(d->pointSize, 8);
    EXPECT_EQ(std::wstring(d->caption), L"");
    EXPECT_TRUE(Template(IDD_LUMRA_PARAMS_COLUMNS));
}

TEST_F(PanelTemplate, EveryControlHasItsIdClassStyleTextAndPlace) {
    const auto d = Template(IDD_LUMRA_PARAMS);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->items.size(), std::size(kPanel));
    for (std::size_t i = 0; i < d->items.size(); ++i) {
        const winres::DialogItem& item = d->items[i];
        const Expected& e = kPanel[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " (" << e.id << ")");
        EXPECT_EQ(static_cast<int>(item.id), e.id);
        EXPECT_TRUE(SameClass(item.windowClass, e.cls)) << item.windowClass;
        EXPECT_EQ(item.text.text, e.text);
        EXPECT_EQ(std::vector<int>({item.x, item.y, item.cx, item.cy}),
                  std::vector<int>({e.x, e.y, e.cx, e.cy}));
        DWORD style = WS_CHILD | StyleOf(e.kind);
        if (e.state != kHidden) style |= WS_VISIBLE;
        if (e.state == kDisabled) style |= WS_DISABLED;
        EXPECT_EQ(item.style, style);
        EXPECT_EQ(item.exStyle, 0u);
    }
}

// Twenty parameters keep controls the panel does not have; every other bound control
// is in the template, and the template has no control that no parameter binds but
// the labels, the group boxes and the drop-free ones.
TEST_F(PanelTemplate, HoldsTheControlsOfEveryParameterShownOnThePanel) {
    const auto d = Template(IDD_LUMRA_PARAMS);
    ASSERT_TRUE(d);
    std::set<int> ids;
    for (const winres::DialogItem& item : d->items) ids.insert(static_cast<int>(item.id));
    std::set<int> withoutControls;
    std::set<int> bound;
    for (int i = 0; i < lumraParamBlockDesc.Count(); ++i) {
        const ParamDef& def = lumraParamBlockDesc.GetParamDefByIndex(i);
        bool present = true;
        for (int ctrl : def.ctrl_IDs) {
            present = present && ids.count(ctrl);
            bound.insert(ctrl);
        }
        if (!present) withoutControls.insert(def.ID);
    }
    EXPECT_EQ(withoutControls, std::set<int>({7,  8,  9,  10, 11, 12, 13, 14, 20, 21,
                                              33, 36, 41, 42, 43, 44, 45, 48, 52, 53}));
    std::set<int> unbound;
    for (int id : ids)
        if (id != -1 && !bound.count(id)) unbound.insert(id);
    EXPECT_EQ(unbound, std::set<int>({IDC_ROTATION_LABEL, IDC_ANISOTROPY_LABEL}));
}

// A template cut short anywhere is refused, never read past its end.
TEST_F(PanelTemplate, EveryTruncationIsRefused) {
    const std::string_view bytes = TemplateBytes(IDD_LUMRA_PARAMS);
    ASSERT_FALSE(bytes.empty());
    winres::DialogTemplate d;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        const std::vector<char> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        ASSERT_FALSE(winres::ReadDialogTemplate(cut.data(), cut.size(), &d)) << n << " bytes";
    }
    EXPECT_TRUE(winres::ReadDialogTemplate(bytes.data(), bytes.size(), &d));
}
