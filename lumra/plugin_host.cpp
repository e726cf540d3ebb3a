#include "plugin_host.h"

#include "text.h"

#include "material/lumra_mtl.h"

#include <cstdio>
#include <filesystem>

#ifndef LUMRA_DEFAULT_PLUGIN_DIR
#define LUMRA_DEFAULT_PLUGIN_DIR "plugins"
#endif

std::string DefaultPluginDir() { return LUMRA_DEFAULT_PLUGIN_DIR; }

void MtlDeleter::operator()(Mtl* mtl) const {
    if (mtl) mtl->DeleteMe();
}

bool PluginHost::Load(const HostOptions& options, std::string* error) {
    const std::string folder = options.pluginDir.empty() ? DefaultPluginDir() : options.pluginDir;
    if (!std::filesystem::is_directory(folder)) {
        *error = "plug-in folder '" + folder + "' does not exist";
        return false;
    }
    std::vector<std::string> problems;
    dlls_.LoadDllsFromDir(std::filesystem::path(folder).wstring(), &problems);
    for (const std::string& p : problems) std::fprintf(stderr, "lumra: %s\n", p.c_str());
    if (dlls_.Count() == 0) {
        *error = "no plug-in could be loaded from '" + folder + "'";
        return false;
    }
    return true;
}

ClassDesc* PluginHost::LumraMaterialClass() const {
    return dlls_.FindClass(MATERIAL_CLASS_ID, LUMRA_MTL_CLASS_ID);
}

MtlHandle PluginHost::CreateMaterial(ClassDesc* cd) const {
    if (!cd || cd->SuperClassID() != MATERIAL_CLASS_ID) return MtlHandle();
    return MtlHandle(static_cast<Mtl*>(cd->Create(FALSE)));
}
