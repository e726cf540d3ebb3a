// The command-line host's session: the plug-ins it has loaded and the material
// objects it has made with them.
#pragma once

#include "dll_dir.h"
#include "mtl.h"

#include <memory>
#include <string>

struct HostOptions {
    std::string pluginDir;  // where plug-in modules are loaded from
};

// The folder of plug-ins of this build, unless the command line names another.
std::string DefaultPluginDir();

// A material made through its class descriptor; deleted through the reference
// system, as the host deletes objects, when the handle goes.
struct MtlDeleter {
    void operator()(Mtl* mtl) const;
};
using MtlHandle = std::unique_ptr<Mtl, MtlDeleter>;

// The block of the material's parameters: the one its class declares by the
// internal name "parameters", found through the class's block descriptors. Null when
// the class declares no such block or the material does not hold it.
IParamBlock2* MaterialParamBlock(Mtl* mtl, ClassDesc* cd);

class PluginHost {
public:
    // Loads every plug-in of the folder; false (with the reasons) when none loads.
    bool Load(const HostOptions& options, std::string* error);
    // The class descriptor of the Lumra material, or null.
    ClassDesc* LumraMaterialClass() const;
    // A new material of the class, made as the host makes one for a user.
    MtlHandle CreateMaterial(ClassDesc* cd) const;
    const DllDir& Dlls() const { return dlls_; }

private:
    DllDir dlls_;
};
