// Loading a module as the host loads plug-ins: entry routine, handles, exports,
// resources and unloading.
#include "loader.h"
#include "tests/win/testmodule/module_log.h"
#include "tests/win/testmodule/test_module_res.h"

#include "windows.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Events = std::vector<std::string>;

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

const std::wstring kModulePath = Wide(WIN_TEST_MODULE_PATH);

class Loader : public testing::Test {
protected:
    void SetUp() override {
        TheModuleLog() = ModuleLog{};
        ASSERT_EQ(GetModuleHandleW(L"win_test_module.dlt"), nullptr) << "a test left it loaded";
    }
    void TearDown() override {
        while (HMODULE h = GetModuleHandleW(L"win_test_module.dlt")) FreeLibrary(h);
    }
    static Events LoggedEvents() { return TheModuleLog().events; }
};

TEST_F(Loader, EntryRoutineRunsOnceAfterStaticObjectsWithTheModuleBase) {
    const HMODULE module = LoadLibraryW(kModulePath.c_str());
    ASSERT_NE(module, nullptr) << winhost::LastLoaderMessage();
    EXPECT_EQ(LoggedEvents(), (Events{"static init", "attach"}));
    EXPECT_EQ(TheModuleLog().attachInstance, module);

    // The handle is the module's load address, as on Windows.
    const FARPROC answer = GetProcAddress(module, "TestModuleAnswer");
    ASSERT_NE(answer, nullptr);
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(answer), &info), 0);
    EXPECT_EQ(info.dli_fbase, static_cast<void*>(module));
    EXPECT_EQ(reinterpret_cast<int (*)()>(reinterpret_cast<void (*)()>(answer))(), 42);
    const FARPROC instance = GetProcAddress(module, "TestModuleInstance");
    EXPECT_EQ(reinterpret_cast<HINSTANCE (*)()>(reinterpret_cast<void (*)()>(instance))(), module);

    winhost::ModuleInfo state;
    ASSERT_TRUE(winhost::QueryModule(module, &state));
    EXPECT_TRUE(state.attached);
    EXPECT_FALSE(state.linked);
    EXPECT_TRUE(state.threadCallsDisabled);
    EXPECT_EQ(state.loadCount, 1);
    EXPECT_EQ(state.stringCount, 3u);
}

TEST_F(Loader, LoadsAreCountedAndTheLastFreeDetachesAndUnloads) {
    const HMODULE first = LoadLibraryW(kModulePath.c_str());
    ASSERT_NE(first, nullptr);
    std::wstring backslashed = kModulePath;
    std::replace(backslashed.begin(), backslashed.end(), L'/', L'\\');
    const HMODULE second = LoadLibraryW(backslashed.c_str());
    EXPECT_EQ(second, first);
    EXPECT_EQ(GetModuleHandleW(L"win_test_module.dlt"), first);
    EXPECT_EQ(LoggedEvents(), (Events{"static init", "attach"}));  // no second attach

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(LoggedEvents(), (Events{"static init", "attach"}));
    EXPECT_EQ(GetProcAddress(first, "TestModuleAnswer") != nullptr, true);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(LoggedEvents(), (Events{"static init", "attach", "detach", "static exit"}));
    EXPECT_EQ(GetModuleHandleW(L"win_test_module.dlt"), nullptr);

    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // Loaded again, it starts afresh.
    TheModuleLog() = ModuleLog{};
    ASSERT_NE(LoadLibraryW(kModulePath.c_str()), nullptr);
    EXPECT_EQ(LoggedEvents(), (Events{"static init", "attach"}));
}

TEST_F(Loader, ARefusingEntryRoutineFailsTheLoadAndUnloads) {
    TheModuleLog().refuseAttach = true;
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(kModulePath.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    // Windows tells the module it goes before unloading it.
    EXPECT_EQ(LoggedEvents(), (Events{"static init", "attach", "detach", "static exit"}));
    EXPECT_EQ(GetModuleHandleW(L"win_test_module.dlt"), nullptr);

    TheModuleLog() = ModuleLog{};
    ASSERT_NE(LoadLibraryW(kModulePath.c_str()), nullptr);
    EXPECT_EQ(LoggedEvents(), (Events{"static init", "attach"}));
}

TEST_F(Loader, FailuresReportWhy) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(L"/no/such/folder/LumraMtl_2017.dlt"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(winhost::LastLoaderMessage().empty());

    // A file that is not a module.
    const std::string notAModule = testing::TempDir() + "not_a_module.dlt";
    std::FILE* f = std::fopen(notAModule.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("not a module\n", f);
    std::fclose(f);
    EXPECT_EQ(LoadLibraryW(Wide(notAModule).c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));

    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Loader, OnlyTheModulesOwnExportsAreFound) {
    const HMODULE module = LoadLibraryW(kModulePath.c_str());
    ASSERT_NE(module, nullptr);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    // Hidden inside the module.
    EXPECT_EQ(GetProcAddress(module, "DllMain"), nullptr);
    // Exported by a library the module needs, not by the module.
    EXPECT_EQ(GetProcAddress(module, "LoadStringW"), nullptr);
    // An ordinal.
    EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(1)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST_F(Loader, StringsOfTheModuleThroughItsHandle) {
    const HMODULE module = LoadLibraryW(kModulePath.c_str());
    ASSERT_NE(module, nullptr);
    WCHAR buffer[64];
    EXPECT_EQ(LoadStringW(module, IDS_GREETING, buffer, 64), 21);
    EXPECT_EQ(std::wstring(buffer), L"Hello from the module");
    // The pair of surrogates that the compiled table holds is one character here.
    EXPECT_EQ(LoadStringW(module, IDS_SMILE, buffer, 64), 23);
    EXPECT_EQ(std::wstring(buffer),
              L"\u263A"
              L"abc \"quoted\" \\ Gr\u00fc\u00dfe \U0001F600");

    // A string with a NUL inside keeps its full length.
    const WCHAR* text = nullptr;
    ASSERT_EQ(LoadStringW(module, IDS_WITH_NUL, reinterpret_cast<LPWSTR>(&text), 0), 3);
    EXPECT_EQ(std::wstring(text, 3), std::wstring(L"a\0b", 3));

    // The program's strings are not the module's.
    EXPECT_EQ(LoadStringW(module, 82, buffer, 64), 0);
}

TEST_F(Loader, ModuleFileNameIsTheLoadedPath) {
    const HMODULE module = LoadLibraryW(kModulePath.c_str());
    ASSERT_NE(module, nullptr);
    WCHAR buffer[4096];
    const DWORD n = GetModuleFileNameW(module, buffer, 4096);
    EXPECT_EQ(std::wstring(buffer, n), kModulePath);

    WCHAR small[5];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(module, small, 5), 5u);
    EXPECT_EQ(std::wstring(small), kModulePath.substr(0, 4));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(Loader, APathOutsideAsciiLoadsAndIsReportedBack) {
    const std::filesystem::path copy =
        std::filesystem::path(testing::TempDir()) / u8"Gr\u00fc\u00dfe \u263A" / "module.dlt";
    std::filesystem::create_directories(copy.parent_path());
    std::filesystem::copy_file(WIN_TEST_MODULE_PATH, copy,
                               std::filesystem::copy_options::overwrite_existing);
    const std::wstring path = Wide(testing::TempDir()) + L"Gr\u00fc\u00dfe \u263A/module.dlt";
    const HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr) << winhost::LastLoaderMessage();
    WCHAR buffer[4096];
    const DWORD n = GetModuleFileNameW(module, buffer, 4096);
    EXPECT_EQ(std::wstring(buffer, n), path);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), module);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Loader, ALibraryWithoutStartupCodeLoadsWithoutEntryRoutineOrStrings) {
    const HMODULE library = LoadLibraryW(Wide(WIN_TEST_LOG_PATH).c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(GetProcAddress(library, "_Z12TheModuleLogv"), nullptr);
    WCHAR buffer[8];
    SetLastError(0);
    EXPECT_EQ(LoadStringW(library, 1, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(library));
}

using LoaderDeathTest = Loader;

TEST_F(LoaderDeathTest, ModulesStillLoadedAtExitAreDetachedBeforeTheirStaticObjectsGo) {
    EXPECT_EXIT(
        {
            TheModuleLog().traceToStderr = true;
            if (!LoadLibraryW(kModulePath.c_str())) std::_Exit(3);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "attach\ndetach at exit\nstatic exit\n");
}

}  // namespace
