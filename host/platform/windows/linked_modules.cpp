// The entry routines of modules linked into the program, run once as the loader
// runs a DLL's: DLL_PROCESS_ATTACH on request, DLL_PROCESS_DETACH at exit.
#include "linked_modules.h"

#include <cstdlib>
#include <mutex>
#include <vector>

namespace winhost {

namespace {

struct Linked {
    DllEntryProc entry;
    bool attached = false;
    bool failed = false;
};

struct Registry {
    std::mutex lock;
    std::vector<Linked> modules;
};

// Never destroyed: the exit handler still finds it.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

void DetachAtExit() {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    for (Linked& m : r.modules) {
        if (!m.attached) continue;
        m.attached = false;
        // As Windows does at process exit: a non-null lpvReserved.
        m.entry(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1));
    }
}

}  // namespace

void RegisterLinkedModule(DllEntryProc entry) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    r.modules.push_back(Linked{entry});
}

BOOL AttachLinkedModules() {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    static const bool exitHandler = std::atexit(DetachAtExit) == 0;
    (void)exitHandler;
    BOOL ok = TRUE;
    const HINSTANCE program = GetModuleHandleW(nullptr);
    for (Linked& m : r.modules) {
        if (m.attached || m.failed) continue;
        if (m.entry(program, DLL_PROCESS_ATTACH, nullptr)) {
            m.attached = true;
        } else {
            // Windows tells a module that refused that it is going away.
            m.entry(program, DLL_PROCESS_DETACH, nullptr);
            m.failed = true;
            ok = FALSE;
        }
    }
    return ok;
}

}  // namespace winhost
