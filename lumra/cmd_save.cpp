// lumra save: a new material, changed as a script would change it, saved in a scene
// file.
#include "commands.h"
#include "scene_materials.h"

#include "material/param_ids.h"

#include <cstdio>

int RunSave(const HostOptions& hostOptions, const SaveOptions& options) {
    std::vector<Setting> settings, maps;
    std::string error;
    for (const auto* list : {&options.settings, &options.maps}) {
        for (const std::string& text : *list) {
            Setting s;
            if (!ParseSetting(text, &s, &error)) {
                std::fprintf(stderr, "lumra: %s\n", error.c_str());
                return 1;
            }
            (list == &options.settings ? settings : maps).push_back(s);
        }
    }

    PluginHost host;
    if (!host.Load(hostOptions, &error)) {
        std::fprintf(stderr, "lumra: %s\n", error.c_str());
        return 1;
    }
    ClassDesc* cd = host.LumraMaterialClass();
    if (!cd) {
        std::fprintf(stderr, "lumra: no loaded plug-in provides the Lumra material\n");
        return 1;
    }
    MtlHandle mtl = host.CreateMaterial(cd);
    IParamBlock2* block = mtl ? mtl->GetParamBlockByID(kLumraParamBlockId) : nullptr;
    if (!block) {
        std::fprintf(stderr, "lumra: the material could not be created\n");
        return 1;
    }
    const TimeValue t = 0;
    for (const Setting& s : settings) {
        std::string warning;
        if (!ApplySetting(block, cd, s, t, &error, &warning)) {
            std::fprintf(stderr, "lumra: %s\n", error.c_str());
            return 1;
        }
        if (!warning.empty()) std::fprintf(stderr, "lumra: warning: %s\n", warning.c_str());
    }
    for (const Setting& s : maps) {
        if (!ApplyMapSetting(block, s, t, &error)) {
            std::fprintf(stderr, "lumra: %s\n", error.c_str());
            return 1;
        }
    }
    // The cached values the file stores are those the material shows at time 0.
    Interval valid = FOREVER;
    mtl->Update(t, valid);
    if (!SaveSceneMaterials(options.file, {mtl.get()}, &error)) {
        std::fprintf(stderr, "lumra: %s: not saved: %s\n", options.file.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
