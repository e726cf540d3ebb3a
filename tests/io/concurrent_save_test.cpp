// Two processes saving one scene file at once, while a third loads it.
#include "tests/io/scene_support.h"

#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 150;

class ConcurrentSave : public SceneTest {};

// The name of the material a writer saves in a round.
std::wstring SaveName(wchar_t writer, int round) { return writer + std::to_wstring(round); }

// Each load sees one whole save; at the end the file holds the last save of one of
// the writers, and every save reported success.
TEST_F(ConcurrentSave, FileAlwaysHoldsOneWholeSave) {
    const fs::path dir =
        fs::temp_directory_path() / ("lumra_concurrent_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "scene.lsc";
    LumraMtl* mtl = NewMaterial();
    mtl->SetName(L"start");
    std::string error;
    ASSERT_TRUE(SaveSceneFile(file, {mtl}, TestClasses(), &error)) << error;

    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = ::fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            int failures = 0;
            for (int round = 0; round < kRounds; ++round) {
                mtl->SetName(SaveName(L"AB"[w], round).c_str());
                failures += !SaveSceneFile(file, {mtl}, TestClasses(), &error);
            }
            ::_exit(failures);
        }
    }
    bool done[2] = {false, false};
    int loads = 0;
    while (!done[0] || !done[1]) {
        LoadedScene scene;
        ASSERT_TRUE(LoadSceneFile(file, TestClasses(), &scene, &error)) << error;
        ASSERT_EQ(scene.roots.size(), 1u);
        scene.roots[0]->DeleteMe();
        ++loads;
        for (int w = 0; w < 2; ++w) {
            int status = 0;
            if (done[w] || ::waitpid(writers[w], &status, WNOHANG) != writers[w]) continue;
            done[w] = true;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "writer " << w << ": saves that failed";
        }
    }
    LoadedScene scene;
    ASSERT_TRUE(LoadSceneFile(file, TestClasses(), &scene, &error)) << error;
    ASSERT_EQ(scene.roots.size(), 1u);
    auto* last = static_cast<LumraMtl*>(scene.roots[0]);
    owned_.push_back(last);
    EXPECT_TRUE(last->GetName() == SaveName(L'A', kRounds - 1).c_str() ||
                last->GetName() == SaveName(L'B', kRounds - 1).c_str())
        << loads << " loads";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

}  // namespace
