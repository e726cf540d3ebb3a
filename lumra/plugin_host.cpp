#include "plugin_host.h"

#include "text.h"

#include "material/ilumramtl.h"

#include "host_paths.h"
#include "iparamb2.h"

#include <cwchar>
#include <filesystem>

#ifndef LUMRA_DEFAULT_PLUGIN_DIR
#define LUMRA_DEFAULT_PLUGIN_DIR "plugins"
#endif

std::string DefaultPluginDir() { return LUMRA_DEFAULT_PLUGIN_DIR; }

void MtlDeleter::operator()(Mtl* mtl) const {
    if (mtl) mtl->DeleteMe();
}

IParamBlock2* MaterialParamBlock(Mtl* mtl, ClassDesc* cd) {
    if (!mtl || !cd) return nullptr;
    for (int i = 0; i < cd->NumParamBlockDescs(); ++i) {
        const ParamBlockDesc2* desc = cd->GetParamBlockDesc(i);
        if (desc && desc->int_name && std::wcscmp(desc->int_name, L"parameters") == 0)
            return mtl->GetParamBlockByID(desc->ID);
    }
    return nullptr;
}

bool PluginHost::Load(const HostOptions& options, std::string* error) {
    const std::string folder = options.pluginDir.empty() ? DefaultPluginDir() : options.pluginDir;
    const std::wstring wideFolder = FromUtf8(folder);
    std::error_code ec;
    if (!std::filesystem::is_directory(FileSystemPath(wideFolder), ec)) {
        *error = "plug-in folder '" + folder + "' " +
                 (!ec                                          ? std::string("is not a folder")
                  : ec == std::errc::no_such_file_or_directory ? std::string("does not exist")
                                                               : "cannot be read: " + ec.message());
        return false;
    }
    std::vector<std::string> problems;
    dlls_.LoadDllsFromDir(wideFolder, &problems);
    for (const std::string& p : problems) PrintError(p);
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
