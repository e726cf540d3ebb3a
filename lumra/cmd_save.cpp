// lumra save: a new material, changed as a script would change it, saved in a scene
// file.
#include "commands.h"
#include "material_setup.h"
#include "scene_materials.h"
#include "text.h"

#include <cstdio>

int RunSave(const HostOptions& hostOptions, const SaveOptions& options) {
    std::vector<Setting> settings, maps;
    std::string error;
    PluginHost host;
    ClassDesc* cd = nullptr;
    MtlHandle mtl;
    if (!ParseSettings(options.settings, &settings, &error) ||
        !ParseSettings(options.maps, &maps, &error) ||
        !LoadLumraMaterialClass(host, hostOptions, &cd, &error) ||
        !(mtl = NewMaterial(host, cd, settings, maps, &error))) {
        PrintError(error);
        return 1;
    }
    // The cached values the file stores are those the material shows at time 0.
    Interval valid = FOREVER;
    mtl->Update(0, valid);
    if (!SaveSceneMaterials(host, options.file, {mtl.get()}, &error)) {
        PrintError(options.file + ": not saved: " + error);
        return 1;
    }
    return 0;
}
