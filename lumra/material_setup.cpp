#include "material_setup.h"

#include "text.h"

bool ParseSettings(const std::vector<std::string>& texts, std::vector<Setting>* settings,
                   std::string* error) {
    for (const std::string& text : texts) {
        Setting s;
        if (!ParseSetting(text, &s, error)) return false;
        settings->push_back(s);
    }
    return true;
}

bool LoadLumraMaterialClass(PluginHost& host, const HostOptions& options, ClassDesc** cd,
                            std::string* error) {
    if (!host.Load(options, error)) return false;
    *cd = host.LumraMaterialClass();
    if (!*cd) {
        *error = "no loaded plug-in provides the Lumra material";
        return false;
    }
    return true;
}

bool ApplyMaterialSettings(Mtl* mtl, ClassDesc* cd, const std::vector<Setting>& settings,
                           const std::vector<Setting>& maps, bool warn, std::string* error) {
    IParamBlock2* block = MaterialParamBlock(mtl, cd);
    if (!block) {
        *error = "the material has no parameter block";
        return false;
    }
    for (const Setting& s : settings) {
        std::string warning;
        if (!ApplySetting(block, cd, s, 0, error, &warning)) return false;
        if (warn && !warning.empty()) PrintError("warning: " + warning);
    }
    for (const Setting& m : maps) {
        if (!ApplyMapSetting(block, m, 0, error)) return false;
    }
    return true;
}

MtlHandle NewMaterial(const PluginHost& host, ClassDesc* cd, const std::vector<Setting>& settings,
                      const std::vector<Setting>& maps, std::string* error) {
    MtlHandle mtl = host.CreateMaterial(cd);
    if (!mtl) {
        *error = "the material could not be created";
        return mtl;
    }
    if (!ApplyMaterialSettings(mtl.get(), cd, settings, maps, true, error)) return MtlHandle();
    return mtl;
}
