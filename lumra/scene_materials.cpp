#include "scene_materials.h"

#include "text.h"

#include "host_paths.h"
#include "scene_file.h"

bool LoadSceneMaterials(const PluginHost& host, const std::string& path, SceneMaterials* scene,
                        std::string* error) {
    LoadedScene loaded;
    if (!LoadSceneFile(FileSystemPath(FromUtf8(path)), SceneClassLookup(&host.Dlls()), &loaded,
                       error))
        return false;
    scene->materials.clear();
    for (ReferenceTarget* root : loaded.roots) {
        if (auto* mtl = dynamic_cast<Mtl*>(root))
            scene->materials.emplace_back(mtl);
        else
            root->DeleteMe();
    }
    scene->notes = loaded.notes;
    return true;
}

bool SaveSceneMaterials(const PluginHost& host, const std::string& path,
                        const std::vector<Mtl*>& materials, std::string* error) {
    std::vector<ReferenceTarget*> roots(materials.begin(), materials.end());
    return SaveSceneFile(FileSystemPath(FromUtf8(path)), roots, SceneClassLookup(&host.Dlls()),
                         error);
}
