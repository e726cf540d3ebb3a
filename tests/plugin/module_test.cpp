// The built plug-in module, loaded the way the host loads it.
#include "tests/support/module_exports.h"

#include "dll_dir.h"
#include "iparamb2.h"
#include "mtl.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const std::wstring kModule = std::filesystem::path(LUMRA_TEST_MODULE).wstring();
const std::wstring kOldModule = std::filesystem::path(LUMRA_TEST_OLD_MODULE).wstring();

}  // namespace

TEST(PluginModule, ExportsExactlyTheSixEntryPoints) {
    std::vector<std::string> names;
    ASSERT_TRUE(ModuleExports(LUMRA_TEST_MODULE, &names));
    EXPECT_EQ(names, (std::vector<std::string>{"LibClassDesc", "LibDescription", "LibInitialize",
                                               "LibNumberClasses", "LibShutdown", "LibVersion"}));
}

TEST(PluginModule, LoadsThroughItsExportsAndCreatesAMaterial) {
    DllDir dlls;
    std::string error;
    ASSERT_TRUE(dlls.LoadDll(kModule, &error)) << error;
    ASSERT_EQ(dlls.Count(), 1);
    EXPECT_EQ(dlls[0].version, 0x55F03700u);
    EXPECT_EQ(dlls[0].description, L"Lumra renderer material editor");
    ASSERT_EQ(dlls[0].classes.size(), 1u);

    ClassDesc* cd = dlls.FindClass(MATERIAL_CLASS_ID, Class_ID(0xA3F0E60D, 0x941BA693));
    ASSERT_NE(cd, nullptr);
    EXPECT_EQ(std::wstring(cd->ClassName()), L"LumraMtl");
    EXPECT_NE(cd->HInstance(), nullptr);
    EXPECT_EQ(cd->HInstance(), dlls[0].handle);

    auto* mtl = static_cast<Mtl*>(cd->Create(FALSE));
    ASSERT_NE(mtl, nullptr);
    MSTR name;
    mtl->GetClassName(name);
    EXPECT_EQ(name, MSTR(L"LumraMtl"));
    IParamBlock2* block = mtl->GetParamBlockByID(0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->NumParams(), 68);
    EXPECT_EQ(block->GetColor(3), Color(0.8f, 0.8f, 0.8f));
    EXPECT_EQ(mtl->GetDiffuse(), Color(0.8f, 0.8f, 0.8f));
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    EXPECT_EQ(valid, FOREVER);
    mtl->DeleteMe();

    auto* forLoading = static_cast<Mtl*>(cd->Create(TRUE));
    ASSERT_NE(forLoading, nullptr);
    EXPECT_EQ(forLoading->GetParamBlockByID(0), nullptr);
    forLoading->DeleteMe();
    dlls.UnloadAll();
    EXPECT_EQ(dlls.Count(), 0);
}

TEST(PluginModule, AModuleBuiltForAnotherHostIsRefused) {
    DllDir dlls;
    std::string error;
    EXPECT_FALSE(dlls.LoadDll(kOldModule, &error));
    EXPECT_NE(error.find("0x55F03700"), std::string::npos) << error;
    EXPECT_NE(error.find("not loaded"), std::string::npos) << error;
    EXPECT_EQ(dlls.Count(), 0);
    EXPECT_EQ(GetModuleHandleW(kOldModule.c_str()), nullptr);  // unloaded again

    EXPECT_FALSE(dlls.LoadDll(L"/no/such/plugin.dlt", &error));
    EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
}
