// lumra show: a new material, optionally changed as a script would change it, with
// every parameter of its block and what the renderer reads through ILumraMtl.
#include "commands.h"
#include "material_print.h"
#include "material_setup.h"
#include "text.h"

#include <cstdio>

int RunShow(const HostOptions& hostOptions, const ShowOptions& options) {
    std::vector<Setting> settings;
    std::string error;
    PluginHost host;
    ClassDesc* cd = nullptr;
    MtlHandle mtl;
    if (!ParseSettings(options.settings, &settings, &error) ||
        !LoadLumraMaterialClass(host, hostOptions, &cd, &error) ||
        !(mtl = NewMaterial(host, cd, settings, {}, &error))) {
        PrintError(error);
        return 1;
    }
    PrintMaterial(mtl.get(), cd, MaterialParamBlock(mtl.get(), cd), 0);
    return 0;
}
