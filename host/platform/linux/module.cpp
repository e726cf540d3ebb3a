// Modules on the platform's dynamic loader, with the Windows rules on top: a module
// handle is the module's load address, the entry routine runs once per process after
// the module's static objects are built, loads are counted, and only the module's
// own exports are found by name.
#include "loader.h"
#include "module_registry.h"

#include "windows.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" int __cxa_atexit(void (*function)(void*), void* argument, void* dsoHandle);

namespace winhost {

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;
thread_local std::string lastLoaderMessage;

struct Module {
    HMODULE handle = nullptr;
    std::string path;
    DllEntryProc entry = nullptr;
    std::shared_ptr<const ModuleResources> resources;
    void* dlHandle = nullptr;  // held while loaded through LoadLibraryW
    bool registered = false;   // its start-up code announced it
    bool linked = false;       // part of the program or of a library it needs
    bool attached = false;
    bool attachFailed = false;
    bool threadCallsDisabled = false;
    int loadCount = 0;
    std::uintptr_t serial = 0;  // this attach, for the exit handler
};

// The loader's state. Created on first use and never destroyed, so that modules
// unloading during exit still find it.
struct Registry {
    std::recursive_mutex lock;  // the loader lock: entry routines may call back in
    std::vector<Module> modules;
    int loadsInProgress = 0;
    std::vector<HMODULE> registeredDuringLoad;
    std::uintptr_t lastSerial = 0;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

HMODULE BaseOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fbase) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

Module* Find(Registry& r, HMODULE handle) {
    if (!handle) return nullptr;
    auto it = std::find_if(r.modules.begin(), r.modules.end(),
                           [&](const Module& m) { return m.handle == handle; });
    return it == r.modules.end() ? nullptr : &*it;
}

void Erase(Registry& r, HMODULE handle) {
    std::erase_if(r.modules, [&](const Module& m) { return m.handle == handle; });
}

int ProgramPhdrCallback(dl_phdr_info* info, size_t, void* data) {
    // The first object reported is the program itself.
    ElfW(Addr) lowest = ~ElfW(Addr)(0);
    for (int i = 0; i < info->dlpi_phnum; ++i)
        if (info->dlpi_phdr[i].p_type == PT_LOAD)
            lowest = std::min(lowest, info->dlpi_phdr[i].p_vaddr);
    const long page = sysconf(_SC_PAGESIZE);
    lowest &= ~ElfW(Addr)(page - 1);
    *static_cast<HMODULE*>(data) = reinterpret_cast<HMODULE>(info->dlpi_addr + lowest);
    return 1;
}

std::string ProgramPath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

std::string PathOf(HMODULE handle) {
    if (handle == ProgramHandle()) return ProgramPath();
    Dl_info info{};
    if (dladdr(handle, &info) && info.dli_fname) return info.dli_fname;
    return {};
}

std::string AbsolutePath(const std::string& path) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved)) return resolved;
    return path;
}

// DLL_PROCESS_DETACH for a module still attached when the process ends, as Windows
// does, with a non-null lpvReserved. Registered after each attach, so that it runs
// before the module's static objects (registered while it loaded) are destroyed.
void DetachAtExit(void* serial) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    const auto it = std::find_if(r.modules.begin(), r.modules.end(), [&](const Module& m) {
        return m.serial == reinterpret_cast<std::uintptr_t>(serial);
    });
    if (it == r.modules.end() || !it->attached) return;
    it->attached = false;
    if (it->entry) it->entry(it->handle, DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1));
}

// Runs the entry routine for DLL_PROCESS_ATTACH. The registry may grow while it
// runs (the routine may load other modules), so the module is looked up again after.
bool Attach(Registry& r, HMODULE handle) {
    Module* m = Find(r, handle);
    if (!m) return false;
    if (m->attached) return true;
    const DllEntryProc entry = m->entry;
    if (entry && !entry(handle, DLL_PROCESS_ATTACH, nullptr)) {
        // Windows tells the module it is going away before it unloads it.
        entry(handle, DLL_PROCESS_DETACH, nullptr);
        if ((m = Find(r, handle))) m->attachFailed = true;
        return false;
    }
    if ((m = Find(r, handle))) {
        m->attached = true;
        m->serial = ++r.lastSerial;
        __cxa_atexit(DetachAtExit, reinterpret_cast<void*>(m->serial), nullptr);
    }
    return true;
}

void SetLoaderFailure(DWORD error, std::string message) {
    lastError = error;
    lastLoaderMessage = std::move(message);
}

// The module's embedded .res file, read once when it registers. Damaged bytes (the
// build wrote them with the resource compiler) leave the module without resources.
std::shared_ptr<const ModuleResources> ReadModuleResources(const ResourceData& data) {
    auto resources = std::make_shared<ModuleResources>();
    std::string error;
    if (!winres::ReadResFile(data.bytes, data.size, &resources->all, &error)) return nullptr;
    for (const winres::Resource& res : resources->all) {
        if (!res.typeIsId || res.typeId != winres::kTypeString || !res.nameIsId || res.nameId == 0)
            continue;
        std::array<std::wstring, 16> block;
        if (!winres::ReadStringBlock(res.data, res.size, &block)) continue;
        for (UINT k = 0; k < 16; ++k) {
            const UINT id = (static_cast<UINT>(res.nameId) - 1) * 16 + k;
            const bool known = std::any_of(resources->strings.begin(), resources->strings.end(),
                                           [id](const auto& s) { return s.first == id; });
            // A table in a second language does not replace the first.
            if (!block[k].empty() && !known) resources->strings.emplace_back(id, block[k]);
        }
    }
    std::sort(resources->strings.begin(), resources->strings.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return resources;
}

DWORD ClassifyDlopenFailure(const std::string& path, const std::string& message) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return ERROR_MOD_NOT_FOUND;
    if (message.find("undefined symbol") != std::string::npos) return ERROR_PROC_NOT_FOUND;
    if (message.find("cannot open shared object file") != std::string::npos)
        return ERROR_MOD_NOT_FOUND;  // a library it needs is missing
    return ERROR_BAD_EXE_FORMAT;
}

}  // namespace

HMODULE ProgramHandle() {
    static const HMODULE program = [] {
        HMODULE base = nullptr;
        dl_iterate_phdr(ProgramPhdrCallback, &base);
        return base;
    }();
    return program;
}

bool FindResources(HINSTANCE instance, std::shared_ptr<const ModuleResources>* resources) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    const Module* m = Find(r, instance ? instance : ProgramHandle());
    if (!m) return false;
    *resources = m->resources;
    return true;
}

const winres::Resource* FindResourceById(const ModuleResources& resources, WORD type, WORD name) {
    for (const winres::Resource& res : resources.all)
        if (res.typeIsId && res.typeId == type && res.nameIsId && res.nameId == name) return &res;
    return nullptr;
}

void SetError(DWORD error) { lastError = error; }

void RegisterModule(const void* addressInModule, DllEntryProc entry,
                    const ResourceData* resources) {
    const HMODULE handle = BaseOf(addressInModule);
    if (!handle) return;
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    Module* m = Find(r, handle);
    if (!m) {
        r.modules.push_back(Module{});
        m = &r.modules.back();
        m->handle = handle;
    }
    m->entry = entry;
    m->resources = resources ? ReadModuleResources(*resources) : nullptr;
    m->registered = true;
    m->linked = r.loadsInProgress == 0;
    m->path = PathOf(handle);
    if (r.loadsInProgress > 0) r.registeredDuringLoad.push_back(handle);
}

void UnregisterModule(const void* addressInModule) {
    const HMODULE handle = BaseOf(addressInModule);
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    Erase(r, handle);
}

BOOL AttachLinkedModules() {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    std::vector<HMODULE> pending;
    for (const Module& m : r.modules)
        if (m.linked && !m.attached && !m.attachFailed) pending.push_back(m.handle);
    BOOL ok = TRUE;
    for (HMODULE handle : pending)
        if (!Attach(r, handle)) ok = FALSE;
    return ok;
}

bool QueryModule(HMODULE module, ModuleInfo* info) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    const Module* m = Find(r, module);
    if (!m || !info) return false;
    info->handle = m->handle;
    info->path = m->path;
    info->linked = m->linked;
    info->attached = m->attached;
    info->threadCallsDisabled = m->threadCallsDisabled;
    info->loadCount = m->loadCount;
    info->stringCount = m->resources ? m->resources->strings.size() : 0;
    return true;
}

std::string LastLoaderMessage() { return lastLoaderMessage; }

}  // namespace winhost

using namespace winhost;

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLoaderFailure(ERROR_INVALID_PARAMETER, "no module name");
        return nullptr;
    }
    std::string path = WideToUtf8(lpLibFileName);
    std::replace(path.begin(), path.end(), '\\', '/');

    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);

    // The module's static objects are built inside dlopen; its start-up code
    // registers it (and any module it needs) meanwhile.
    const size_t firstNew = r.registeredDuringLoad.size();
    ++r.loadsInProgress;
    void* dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    --r.loadsInProgress;
    std::vector<HMODULE> registered(r.registeredDuringLoad.begin() + static_cast<long>(firstNew),
                                    r.registeredDuringLoad.end());
    if (r.loadsInProgress == 0) r.registeredDuringLoad.clear();

    if (!dl) {
        const char* why = dlerror();
        const std::string message = why ? why : "cannot load " + path;
        SetLoaderFailure(ClassifyDlopenFailure(path, message), message);
        return nullptr;
    }

    link_map* map = nullptr;
    if (dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0 || !map) {
        dlclose(dl);
        SetLoaderFailure(ERROR_BAD_EXE_FORMAT, "no link map for " + path);
        return nullptr;
    }
    const HMODULE handle = BaseOf(map->l_ld);
    if (!handle) {
        dlclose(dl);
        SetLoaderFailure(ERROR_BAD_EXE_FORMAT, "no load address for " + path);
        return nullptr;
    }

    Module* m = Find(r, handle);
    if (m && (m->attached || m->linked) && m->loadCount > 0) {
        // Already loaded through LoadLibraryW: one more reference, one dlopen kept.
        ++m->loadCount;
        dlclose(dl);
        lastError = ERROR_SUCCESS;
        return handle;
    }
    if (!m) {
        // A library without start-up code: no entry routine, no resources.
        r.modules.push_back(Module{});
        m = &r.modules.back();
        m->handle = handle;
    }
    m->path = AbsolutePath(map->l_name && *map->l_name ? map->l_name : path);
    if (m->linked) {
        // Part of the program already: never unloaded, so no dlopen reference is kept.
        dlclose(dl);
    } else {
        m->dlHandle = dl;
    }

    // Libraries it needs that carry start-up code attach first, as on Windows.
    for (HMODULE other : registered) {
        if (other == handle) continue;
        if (Module* dep = Find(r, other)) dep->linked = true;
        Attach(r, other);
    }
    if (!Attach(r, handle)) {
        m = Find(r, handle);
        void* toClose = m ? m->dlHandle : nullptr;
        if (m) m->dlHandle = nullptr;
        // A module with start-up code stays known until its static objects go (the
        // platform may keep it mapped); one without is forgotten now.
        if (m && !m->registered) Erase(r, handle);
        if (toClose) dlclose(toClose);
        SetLoaderFailure(ERROR_DLL_INIT_FAILED, path + ": the entry routine failed");
        return nullptr;
    }
    if ((m = Find(r, handle))) m->loadCount = 1;
    lastError = ERROR_SUCCESS;
    lastLoaderMessage.clear();
    return handle;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    Module* m = Find(r, hLibModule);
    if (!m || m->loadCount <= 0) {
        lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (--m->loadCount > 0 || m->linked) return TRUE;

    const DllEntryProc entry = m->entry;
    void* dl = m->dlHandle;
    const bool wasAttached = m->attached;
    m->attached = false;
    m->dlHandle = nullptr;
    if (wasAttached && entry) entry(hLibModule, DLL_PROCESS_DETACH, nullptr);
    // A module with start-up code is forgotten when its static objects are destroyed
    // (inside dlclose); one that the platform keeps loaded stays known, so that a
    // later load attaches it again.
    if ((m = Find(r, hLibModule)) && !m->registered) Erase(r, hLibModule);
    if (dl) dlclose(dl);
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    // Names below 0x10000 are ordinals, which modules here do not have.
    if (reinterpret_cast<std::uintptr_t>(lpProcName) < 0x10000) {
        lastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    const HMODULE module = hModule ? hModule : ProgramHandle();
    void* dl = nullptr;
    {
        Registry& r = TheRegistry();
        std::lock_guard guard(r.lock);
        const Module* m = Find(r, module);
        if (!m && module != ProgramHandle()) {
            lastError = ERROR_INVALID_HANDLE;
            return nullptr;
        }
        dl = m ? m->dlHandle : nullptr;
    }
    void* symbol = dlsym(dl ? dl : RTLD_DEFAULT, lpProcName);
    // dlsym also searches the libraries a module needs; Windows finds only the
    // module's own exports.
    if (!symbol || BaseOf(symbol) != module) {
        lastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
    if (!lpModuleName) return ProgramHandle();
    std::string name = WideToUtf8(lpModuleName);
    std::replace(name.begin(), name.end(), '\\', '/');
    const bool hasFolder = name.find('/') != std::string::npos;
    if (hasFolder) name = AbsolutePath(name);
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    for (const Module& m : r.modules) {
        if (!m.attached && m.loadCount == 0) continue;
        const std::string file = m.path.substr(m.path.find_last_of('/') + 1);
        if ((hasFolder && m.path == name) || (!hasFolder && file == name)) return m.handle;
    }
    lastError = ERROR_MOD_NOT_FOUND;
    return nullptr;
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    if (!lpFilename) {
        lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    std::string path;
    if (!hModule || hModule == ProgramHandle()) {
        path = ProgramPath();
    } else {
        Registry& r = TheRegistry();
        std::lock_guard guard(r.lock);
        const Module* m = Find(r, hModule);
        if (!m) {
            lastError = ERROR_MOD_NOT_FOUND;
            if (nSize > 0) lpFilename[0] = L'\0';
            return 0;
        }
        path = m->path;
    }
    const std::wstring wide = Utf8ToWide(path);
    if (nSize == 0) {
        lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    if (wide.size() >= nSize) {
        // Windows truncates, terminates and reports the buffer size.
        std::copy_n(wide.data(), nSize - 1, lpFilename);
        lpFilename[nSize - 1] = L'\0';
        lastError = ERROR_INSUFFICIENT_BUFFER;
        return nSize;
    }
    std::copy(wide.begin(), wide.end(), lpFilename);
    lpFilename[wide.size()] = L'\0';
    lastError = ERROR_SUCCESS;
    return static_cast<DWORD>(wide.size());
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    Module* m = Find(r, hLibModule);
    if (!m) {
        lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    m->threadCallsDisabled = true;
    return TRUE;
}
