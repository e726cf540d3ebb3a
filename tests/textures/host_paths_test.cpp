#include "host_paths.h"
#include "winhost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

// Sets or clears LUMRA_ROOT for one test and restores it afterwards.
class RootVariable {
public:
    explicit RootVariable(const char* value) {
        if (const char* old = std::getenv("LUMRA_ROOT")) old_ = old;
        if (value)
            setenv("LUMRA_ROOT", value, 1);
        else
            unsetenv("LUMRA_ROOT");
    }
    ~RootVariable() {
        if (old_)
            setenv("LUMRA_ROOT", old_->c_str(), 1);
        else
            unsetenv("LUMRA_ROOT");
    }

private:
    std::optional<std::string> old_;
};

}  // namespace

TEST(HostPaths, PluginRootFollowsTheEnvironmentVariable) {
    RootVariable root("/opt/lumra/");
    EXPECT_EQ(ResolveHostPath(L"c:\\[Lumra]\\pluginFiles\\material\\EnvMatEdit.hdr"),
              L"/opt/lumra/pluginFiles/material/EnvMatEdit.hdr");
    // Windows does not care about letter case or the kind of slash.
    EXPECT_EQ(ResolveHostPath(L"C:/[LUMRA]/a\\b.png"), L"/opt/lumra/a/b.png");
    EXPECT_EQ(ResolveHostPath(L"c:\\[Lumra]"), L"/opt/lumra");
}

TEST(HostPaths, PluginRootDefaultsToTheBuildsDataFolder) {
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        RootVariable root(value);
        EXPECT_EQ(HostDataRoot(), HostPath(LUMRA_BUILD_DATA_DIR));
        const std::wstring env =
            ResolveHostPath(L"c:\\[Lumra]\\pluginFiles\\material\\EnvMatEdit.hdr");
        EXPECT_EQ(env, HostPath(LUMRA_BUILD_DATA_DIR) + L"/pluginFiles/material/EnvMatEdit.hdr");
        EXPECT_TRUE(std::filesystem::exists(FileSystemPath(env)))
            << "the build copies data/ into its folder";
    }
}

TEST(HostPaths, OtherPathsOnlyChangeTheirSlashes) {
    RootVariable root("/opt/lumra");
    EXPECT_EQ(ResolveHostPath(L"d:\\maps\\wood.png"), L"d:/maps/wood.png");
    EXPECT_EQ(ResolveHostPath(L"c:\\[Lumra]x\\wood.png"), L"c:/[Lumra]x/wood.png");
    EXPECT_EQ(ResolveHostPath(L"c:\\maps\\wood.png"), L"c:/maps/wood.png");
    EXPECT_EQ(ResolveHostPath(L"maps\\wood.png"), L"maps/wood.png");
    EXPECT_EQ(ResolveHostPath(L"/home/artist/wood.png"), L"/home/artist/wood.png");
    EXPECT_EQ(ResolveHostPath(L""), L"");
    EXPECT_EQ(ResolveHostPath(nullptr), L"");
}

TEST(HostPaths, PluginRootNamedBeyondAscii) {
    RootVariable root("/opt/lumra é😀");
    EXPECT_EQ(ResolveHostPath(L"c:\\[Lumra]\\a.hdr"), L"/opt/lumra é😀/a.hdr");
}

// Any bytes may name a Linux file; a name that is not UTF-8 keeps none of its odd
// bytes as a character.
TEST(HostPaths, ALinuxNameThatIsNotUtf8HasNoExactWideForm) {
    EXPECT_EQ(HostPath("a\xC0\xAF"
                       "b\xFF"),
              L"a\uFFFD\uFFFDb\uFFFD");
    EXPECT_FALSE(winhost::IsUtf8(Utf8Path("a\xFF")));
}
