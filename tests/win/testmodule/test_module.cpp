// A module as the host loads plug-ins: static objects, an entry routine that records
// its calls, and a few exports.
#include "module_log.h"

#include "windows.h"

#include <cstdio>

namespace {

struct StaticObject {
    StaticObject() { TheModuleLog().events.push_back("static init"); }
    ~StaticObject() { TheModuleLog().events.push_back("static exit"); }
};
StaticObject staticObject;

HINSTANCE moduleInstance = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    ModuleLog& log = TheModuleLog();
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            log.events.push_back("attach");
            log.attachInstance = instance;
            moduleInstance = instance;
            DisableThreadLibraryCalls(instance);
            if (log.refuseAttach) return FALSE;
            break;
        case DLL_PROCESS_DETACH:
            log.events.push_back("detach");
            // Seen by a test that ends its process with the module still loaded.
            if (reserved) std::fputs("detach at exit\n", stderr);
            break;
        default:
            log.events.push_back("thread call");
            break;
    }
    return TRUE;
}

extern "C" __attribute__((visibility("default"))) int TestModuleAnswer() { return 42; }

extern "C" __attribute__((visibility("default"))) HINSTANCE TestModuleInstance() {
    return moduleInstance;
}
