// The class descriptor, its material-browser part and the module's exports, with
// the plug-in linked into the test program.
#include "tests/support/plugin_fixture.h"

#include "material/preview_environment.h"
#include "plugin/string_table.h"

#include <cstring>

#if !defined(_WIN32)
#include "loader.h"
#endif

extern "C" {
const MCHAR* LibDescription();
int LibNumberClasses();
ClassDesc* LibClassDesc(int i);
ULONG LibVersion();
int LibInitialize();
int LibShutdown();
}

namespace {
class ClassDescTest : public PluginTest {};
}  // namespace

TEST_F(ClassDescTest, ExportsAnswerAsTheHostExpects) {
    EXPECT_EQ(LibNumberClasses(), 1);
    EXPECT_EQ(LibClassDesc(0), static_cast<ClassDesc*>(&lumraMaterialClassDesc));
    EXPECT_EQ(LibClassDesc(1), nullptr);
    EXPECT_EQ(LibClassDesc(-1), nullptr);
    EXPECT_EQ(LibVersion(), 0x55F03700u);
    EXPECT_EQ(LibInitialize(), 1);
    EXPECT_EQ(LibShutdown(), 1);
    EXPECT_EQ(std::wstring(LibDescription()), L"Lumra renderer material editor");
#if !defined(_WIN32)
    // The stand-in loader records it; Windows does not tell.
    winhost::ModuleInfo info;
    ASSERT_TRUE(winhost::QueryModule(hInstance, &info));
    EXPECT_TRUE(info.threadCallsDisabled);
#endif
}

TEST_F(ClassDescTest, IdentityOfTheClass) {
    LumraMtlClassDesc& cd = lumraMaterialClassDesc;
    EXPECT_TRUE(cd.IsPublic());
    EXPECT_EQ(std::wstring(cd.ClassName()), L"LumraMtl");
    EXPECT_EQ(cd.SuperClassID(), static_cast<SClass_ID>(MATERIAL_CLASS_ID));
    EXPECT_EQ(cd.ClassID(), Class_ID(0xA3F0E60D, 0x941BA693));
    EXPECT_EQ(std::wstring(cd.Category()), L"Material editor");
    EXPECT_EQ(std::wstring(cd.InternalName()), L"lumraMaterial");
    EXPECT_EQ(cd.HInstance(), hInstance);
    EXPECT_NE(hInstance, nullptr);
    EXPECT_EQ(cd.InitialRollupPageState(), 0x7FFFFFFFu);
    EXPECT_EQ(cd.NumParamBlockDescs(), 1);
}

TEST_F(ClassDescTest, StringLookupsShareOneBuffer) {
    const MCHAR* name = lumraMaterialClassDesc.ClassName();
    const MCHAR* category = lumraMaterialClassDesc.Category();
    EXPECT_EQ(name, category);
    EXPECT_EQ(std::wstring(name), L"Material editor");
    EXPECT_EQ(GetString(9999), nullptr);
}

TEST_F(ClassDescTest, TheBrowserPartIsFoundByItsExactId) {
    LumraMtlClassDesc& cd = lumraMaterialClassDesc;
    FPInterface* found = cd.GetInterface(IMATERIAL_BROWSER_ENTRY_INFO_INTERFACE);
    ASSERT_NE(found, nullptr);
    auto* entry = static_cast<IMaterialBrowserEntryInfo*>(found);
    EXPECT_EQ(entry->GetID(), IMATERIAL_BROWSER_ENTRY_INFO_INTERFACE);
    EXPECT_EQ(cd.GetInterface(Interface_ID(0x5E19378B, 0)), nullptr);
    EXPECT_EQ(cd.GetInterface(Interface_ID(0, 0x55535E13)), nullptr);
    // The browser's own lookup is the descriptor's.
    EXPECT_EQ(entry->GetInterface(IMATERIAL_BROWSER_ENTRY_INFO_INTERFACE), found);

    EXPECT_EQ(std::wstring(entry->GetEntryName()), L"LumraMtl");
    const MCHAR* category = entry->GetEntryCategory();
    EXPECT_EQ(std::wstring(category), L"Materials\\Lumra");
    EXPECT_EQ(entry->GetEntryCategory(), category);  // the same storage every time
    EXPECT_EQ(entry->GetEntryThumbnail(), nullptr);
    EXPECT_FALSE(entry->IsStockObject());
    EXPECT_FALSE(entry->HasEntryThumbnail());
}

TEST_F(ClassDescTest, ThePreviewEnvironmentIsConfiguredByTheFirstMaterial) {
    NewMaterial();
    ASSERT_NE(previewEnvMap, nullptr);
    auto* env = static_cast<BitmapTex*>(previewEnvMap);
    EXPECT_EQ(std::wstring(env->GetMapName()),
              L"c:\\[Lumra]\\pluginFiles\\material\\EnvMatEdit.hdr");
    EXPECT_EQ(env->GetFilterType(), FILTER_NADA);
    EXPECT_EQ(env->GetUVGen()->GetSlotType(), MAPSLOT_ENVIRON);
    EXPECT_EQ(env->GetUVGen()->GetCoordMapping(0), 0);
}
