// The module's string table through LoadStringW, as Windows serves it from the
// module's resources: the texts of the resource script, truncation, the pointer
// form, and failures.
#include "tests/support/plugin_fixture.h"

#include "ui/resource.h"

#include "windows.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace {

HINSTANCE Program() {
    EXPECT_TRUE(winhost::AttachLinkedModules());
    return GetModuleHandleW(nullptr);
}

std::wstring Load(UINT id, int cch = 512) {
    std::vector<WCHAR> buffer(static_cast<size_t>(cch) + 1, L'#');
    const int n = LoadStringW(Program(), id, buffer.data(), cch);
    return std::wstring(buffer.data(), static_cast<size_t>(std::max(n, 0)));
}

}  // namespace

TEST(PluginStrings, TextsOfTheResourceScript) {
    EXPECT_EQ(Load(IDS_LIBDESCRIPTION), L"Lumra renderer material editor");
    EXPECT_EQ(Load(IDS_CATEGORY), L"Material editor");
    EXPECT_EQ(Load(IDS_CLASS_NAME), L"LumraMtl");
    EXPECT_EQ(Load(IDS_PARAMS), L"Parameters");
    EXPECT_EQ(Load(IDS_DIFFUSE_COLOR), L"DiffuseColor");
    EXPECT_EQ(Load(IDS_AFFECT_SHADOWS), L"AffectShadows");
    EXPECT_EQ(Load(IDS_BRDF_GGX), L"GGX");
    EXPECT_EQ(Load(IDS_BRDF_TRGGX), L"TRGGX");
    EXPECT_EQ(Load(IDS_EXTRUSION_COMPONENT), L"component");
    EXPECT_EQ(Load(IDS_EXTRUSION_LUMINANCE), L"luminance");
    EXPECT_EQ(Load(IDS_EXTRUSION_STRONG), L"strong (recommended)");
    EXPECT_EQ(Load(IDS_TRANSLUCENCY_COLOR_MULT_ON), L"TranslucencyColorMultOn");
    for (UINT unused : {0u, 5u, 7u, 17u, 34u, 37u, 62u, 68u, 83u}) EXPECT_EQ(Load(unused), L"");
}

// The suite's name is not LoadString: windows.h makes that LoadStringW.
TEST(StringTable, TruncatesToTheBufferAndTerminates) {
    WCHAR buffer[12];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(LoadStringW(Program(), IDS_LIBDESCRIPTION, buffer, 6), 5);
    EXPECT_EQ(std::wstring(buffer), L"Lumra");
    EXPECT_EQ(buffer[6], L'#');  // nothing written past the given size

    EXPECT_EQ(LoadStringW(Program(), IDS_CLASS_NAME, buffer, 9), 8);  // exact fit
    EXPECT_EQ(std::wstring(buffer), L"LumraMtl");

    // A buffer of one character has no room for a character: Windows writes nothing.
    EXPECT_EQ(LoadStringW(Program(), IDS_CATEGORY, buffer, 1), 0);
    EXPECT_EQ(std::wstring(buffer), L"LumraMtl");
}

TEST(StringTable, ZeroSizeGivesAReadOnlyPointerToTheText) {
    const WCHAR* text = nullptr;
    const int n = LoadStringW(Program(), IDS_CATEGORY, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_EQ(n, 15);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text, static_cast<size_t>(n)), L"Material editor");

    const WCHAR* again = nullptr;
    LoadStringW(Program(), IDS_CATEGORY, reinterpret_cast<LPWSTR>(&again), 0);
    EXPECT_EQ(again, text);  // the resource itself, not a copy
}

TEST(StringTable, MissingStringsAnswerZero) {
    // In a block of the table that holds other strings: an empty string.
    WCHAR buffer[16] = L"stale";
    EXPECT_EQ(LoadStringW(Program(), 5, buffer, 16), 0);
    EXPECT_EQ(buffer[0], L'\0');
    // In a block the table does not have: nothing written, and the reason.
    std::wcscpy(buffer, L"stale");
    SetLastError(0);
    EXPECT_EQ(LoadStringW(Program(), 4000, buffer, 16), 0);
    EXPECT_EQ(std::wstring(buffer), L"stale");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    // Not a module.
    int local = 0;
    EXPECT_EQ(LoadStringW(reinterpret_cast<HINSTANCE>(&local), IDS_CLASS_NAME, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
    EXPECT_EQ(LoadStringW(Program(), IDS_CLASS_NAME, nullptr, 16), 0);
}

TEST(StringTable, OnlyTheLow16BitsOfAnIdCount) {
    EXPECT_EQ(Load(0x10000u + IDS_CLASS_NAME), L"LumraMtl");
}

TEST(StringTable, NullInstanceMeansTheProgram) {
    WCHAR buffer[16];
    EXPECT_EQ(LoadStringW(nullptr, IDS_CLASS_NAME, buffer, 16), 8);
    EXPECT_EQ(std::wstring(buffer), L"LumraMtl");
}
