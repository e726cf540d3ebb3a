// lumra load: every material of a scene file, printed as `show` prints one.
#include "commands.h"
#include "material_print.h"
#include "scene_materials.h"
#include "text.h"

#include <cstdio>

int RunLoad(const HostOptions& hostOptions, const LoadOptions& options) {
    PluginHost host;
    std::string error;
    if (!host.Load(hostOptions, &error)) {
        PrintError(error);
        return 1;
    }
    SceneMaterials scene;
    if (!LoadSceneMaterials(host, options.file, &scene, &error)) {
        PrintError(options.file + ": " + error);
        return 1;
    }
    std::printf("%s: %zu material%s\n", EscapeControls(options.file).c_str(),
                scene.materials.size(), scene.materials.size() == 1 ? "" : "s");
    for (const std::string& note : scene.notes)
        std::printf("note: %s\n", EscapeControls(note).c_str());
    const TimeValue t = 0;
    for (std::size_t n = 0; n < scene.materials.size(); ++n) {
        Mtl* mtl = scene.materials[n].get();
        std::printf("\nmaterial %zu \"%s\"\n", n + 1,
                    EscapeControls(ToUtf8(mtl->GetName().str())).c_str());
        ClassDesc* cd = host.Dlls().FindClass(mtl->SuperClassID(), mtl->ClassID());
        IParamBlock2* block = MaterialParamBlock(mtl, cd);
        if (!cd || !block) {
            std::printf("(no parameter block)\n");
            continue;
        }
        PrintMaterial(mtl, cd, block, t);
    }
    return 0;
}
