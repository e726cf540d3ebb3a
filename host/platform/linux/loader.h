// The host side of the stand-in loader: what module start-up code and the tests of
// the loader need beyond the Windows API of windows.h.
#pragma once

#include "resdata.h"
#include "winhost.h"

#include <string>

namespace winhost {

typedef BOOL(WINAPI* DllEntryProc)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

// Called by a module's start-up code while its static objects are built: the module
// containing `addressInModule` has this entry routine (or none) and these resources
// (or none). A module registered outside LoadLibraryW is linked into the program and
// is attached by AttachLinkedModules.
WINHOSTAPI void RegisterModule(const void* addressInModule, DllEntryProc entry,
                               const ResourceData* resources);
// Called when the module's static objects are destroyed, i.e. when it really unloads.
WINHOSTAPI void UnregisterModule(const void* addressInModule);

// What the loader knows of a module handle, for the tests of the loader.
struct ModuleInfo {
    HMODULE handle = nullptr;
    std::string path;
    bool linked = false;               // part of the program, never unloaded
    bool attached = false;             // DLL_PROCESS_ATTACH succeeded
    bool threadCallsDisabled = false;  // DisableThreadLibraryCalls was called
    int loadCount = 0;                 // LoadLibraryW references not yet freed
    std::size_t stringCount = 0;
};
WINHOSTAPI bool QueryModule(HMODULE module, ModuleInfo* info);

// The platform loader's own words for the last failure of LoadLibraryW on this thread.
WINHOSTAPI std::string LastLoaderMessage();

}  // namespace winhost
