// A module as the host loads plug-ins: static objects, an entry routine that records
// its calls, and a few exports.
#include "module_log.h"

#include "windows.h"

#include <cstdio>

namespace {

void Record(const char* event) {
    ModuleLog& log = TheModuleLog();
    log.events.push_back(event);
    if (log.traceToStderr) std::fprintf(stderr, "%s\n", event);
}

struct StaticObject {
    StaticObject() { Record("static init"); }
    ~StaticObject() { Record("static exit"); }
};
StaticObject staticObject;

HINSTANCE moduleInstance = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    ModuleLog& log = TheModuleLog();
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            Record("attach");
            log.attachInstance = instance;
            moduleInstance = instance;
            DisableThreadLibraryCalls(instance);
            if (log.refuseAttach) return FALSE;
            break;
        case DLL_PROCESS_DETACH:
            Record(reserved ? "detach at exit" : "detach");
            break;
        default:
            Record("thread call");
            break;
    }
    return TRUE;
}

extern "C" __attribute__((visibility("default"))) int TestModuleAnswer() { return 42; }

extern "C" __attribute__((visibility("default"))) HINSTANCE TestModuleInstance() {
    return moduleInstance;
}
