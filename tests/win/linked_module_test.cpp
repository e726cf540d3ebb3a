// A program that links a module's objects: its entry routine and its string table
// (the plug-in's own resource script) served through LoadStringW.
#include "loader.h"
#include "ui/resource.h"

#include "windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct EntryCall {
    HINSTANCE instance;
    DWORD reason;
};
std::vector<EntryCall> entryCalls;

HINSTANCE Program() {
    EXPECT_TRUE(winhost::AttachLinkedModules());
    return GetModuleHandleW(nullptr);
}

std::wstring Load(UINT id, int cch = 512) {
    std::vector<WCHAR> buffer(static_cast<size_t>(cch) + 1, L'#');
    const int n = LoadStringW(Program(), id, buffer.data(), cch);
    return std::wstring(buffer.data(), static_cast<size_t>(n));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    entryCalls.push_back({instance, reason});
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

TEST(LinkedModule, AttachRunsTheEntryRoutineOnceWithTheProgramHandle) {
    ASSERT_TRUE(winhost::AttachLinkedModules());
    ASSERT_TRUE(winhost::AttachLinkedModules());
    ASSERT_EQ(entryCalls.size(), 1u);
    EXPECT_EQ(entryCalls[0].reason, static_cast<DWORD>(DLL_PROCESS_ATTACH));
    EXPECT_EQ(entryCalls[0].instance, GetModuleHandleW(nullptr));

    winhost::ModuleInfo info;
    ASSERT_TRUE(winhost::QueryModule(entryCalls[0].instance, &info));
    EXPECT_TRUE(info.linked);
    EXPECT_TRUE(info.attached);
    EXPECT_TRUE(info.threadCallsDisabled);
    EXPECT_EQ(info.stringCount, 75u);
}

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

TEST(LoadString, TruncatesToTheBufferAndAlwaysTerminates) {
    WCHAR buffer[12];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(LoadStringW(Program(), IDS_LIBDESCRIPTION, buffer, 6), 5);
    EXPECT_EQ(std::wstring(buffer), L"Lumra");
    EXPECT_EQ(buffer[6], L'#');  // nothing written past the given size

    EXPECT_EQ(LoadStringW(Program(), IDS_CLASS_NAME, buffer, 1), 0);
    EXPECT_EQ(buffer[0], L'\0');

    EXPECT_EQ(LoadStringW(Program(), IDS_CLASS_NAME, buffer, 9), 8);  // exact fit
    EXPECT_EQ(std::wstring(buffer), L"LumraMtl");
}

TEST(LoadString, ZeroSizeGivesAReadOnlyPointerToTheText) {
    const WCHAR* text = nullptr;
    const int n = LoadStringW(Program(), IDS_CATEGORY, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_EQ(n, 15);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text, static_cast<size_t>(n)), L"Material editor");

    const WCHAR* again = nullptr;
    LoadStringW(Program(), IDS_CATEGORY, reinterpret_cast<LPWSTR>(&again), 0);
    EXPECT_EQ(again, text);  // the resource itself, not a copy
}

TEST(LoadString, FailuresReturnZeroAndLeaveAnEmptyString) {
    WCHAR buffer[16] = L"stale";
    SetLastError(0);
    EXPECT_EQ(LoadStringW(Program(), 5, buffer, 16), 0);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));

    // Ids are 16 bits: a larger one is not string 1 again.
    EXPECT_EQ(LoadStringW(Program(), 0x10000u + IDS_LIBDESCRIPTION, buffer, 16), 0);

    int local = 0;
    EXPECT_EQ(LoadStringW(reinterpret_cast<HINSTANCE>(&local), IDS_CLASS_NAME, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    EXPECT_EQ(LoadStringW(Program(), IDS_CLASS_NAME, nullptr, 16), 0);
    EXPECT_EQ(LoadStringW(Program(), IDS_CLASS_NAME, buffer, -1), 0);
}

TEST(LoadString, NullInstanceMeansTheProgram) {
    WCHAR buffer[16];
    EXPECT_EQ(LoadStringW(nullptr, IDS_CLASS_NAME, buffer, 16), 8);
    EXPECT_EQ(std::wstring(buffer), L"LumraMtl");
}
