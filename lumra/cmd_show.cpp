// lumra show: a new material, optionally changed as a script would change it, with
// every parameter of its block and the cached values the shader reads.
#include "commands.h"
#include "material_print.h"

#include "material/param_ids.h"

#include <cstdio>

int RunShow(const HostOptions& hostOptions, const ShowOptions& options) {
    std::vector<Setting> settings;
    for (const std::string& text : options.settings) {
        Setting s;
        std::string error;
        if (!ParseSetting(text, &s, &error)) {
            std::fprintf(stderr, "lumra: %s\n", error.c_str());
            return 1;
        }
        settings.push_back(s);
    }

    PluginHost host;
    std::string error;
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
    if (!mtl) {
        std::fprintf(stderr, "lumra: the material could not be created\n");
        return 1;
    }
    IParamBlock2* block = mtl->GetParamBlockByID(kLumraParamBlockId);
    if (!block) {
        std::fprintf(stderr, "lumra: the material has no parameter block\n");
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

    PrintMaterial(mtl.get(), cd, block, t);
    return 0;
}
