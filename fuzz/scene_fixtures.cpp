// Writes the sample scenes (sample_scenes.h) as files NAME.lsc in a folder: the
// command-line tests' fixtures and the fuzzer's starting corpus.
//
//   scene_fixtures DIR
#include "fuzz/sample_scenes.h"

#include "winhost.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scene_fixtures DIR\n");
        return 2;
    }
    if (!winhost::AttachLinkedModules()) return 1;
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    std::vector<SampleScene> scenes;
    std::string error;
    if (!MakeSampleScenes(&scenes, &error)) {
        std::fprintf(stderr, "scene_fixtures: %s\n", error.c_str());
        return 1;
    }
    for (const SampleScene& scene : scenes) {
        const std::filesystem::path file = dir / (scene.name + ".lsc");
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(scene.bytes.data()),
                  static_cast<std::streamsize>(scene.bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "scene_fixtures: cannot write %s\n", file.string().c_str());
            return 1;
        }
    }
    return 0;
}
