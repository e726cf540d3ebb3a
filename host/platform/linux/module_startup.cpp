// Start-up code linked into every module and into programs that link a module's
// objects directly: the part of the run-time that, on Windows, finds the module's
// entry routine and resources. It only registers them here; the loader runs the
// entry routine once the module's static objects are all built.
#include "loader.h"
#include "resdata.h"

#include <dlfcn.h>

// Supplied by the module; both are optional, as with the Windows run-time, whose
// default entry routine only reports success.
extern "C" __attribute__((weak, visibility("hidden"))) BOOL WINAPI DllMain(HINSTANCE hinstDLL,
                                                                           DWORD fdwReason,
                                                                           LPVOID lpvReserved);
extern "C" __attribute__((weak)) const winhost::ResourceData WINHOST_RESOURCE_SYMBOL;

namespace {

struct ModuleStartup {
    ModuleStartup() {
        winhost::DllEntryProc entry = &DllMain ? &DllMain : nullptr;
        const winhost::ResourceData* resources =
            &WINHOST_RESOURCE_SYMBOL ? &WINHOST_RESOURCE_SYMBOL : nullptr;
        winhost::RegisterModule(this, entry, resources);
    }
    ~ModuleStartup() { winhost::UnregisterModule(this); }
    ModuleStartup(const ModuleStartup&) = delete;
    ModuleStartup& operator=(const ModuleStartup&) = delete;
};

const ModuleStartup moduleStartup;

}  // namespace
