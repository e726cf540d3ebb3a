// The host side of the Windows module services: what the module start-up code and
// the host application (and tests) need beyond the Windows API of windows.h.
#pragma once

#include "resdata.h"

#include "maxexport.h"
#include "windows.h"

#include <string>

#define WINHOSTAPI MAXSDK_VISIBLE

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

// Runs DLL_PROCESS_ATTACH once for every module linked into the program that has not
// been attached yet. FALSE if an entry routine refused; such a module is not retried.
// At exit, attached modules receive DLL_PROCESS_DETACH before static objects go.
WINHOSTAPI BOOL AttachLinkedModules();

// What the loader knows of a module handle, for the host application and tests.
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

// Wide text (paths, resource strings) to UTF-8 and back, as the host's file
// functions convert them; code points that cannot be encoded become U+FFFD.
WINHOSTAPI std::string WideToUtf8(const WCHAR* text);
WINHOSTAPI std::wstring Utf8ToWide(const std::string& text);

// The platform loader's own words for the last failure of LoadLibraryW on this thread.
WINHOSTAPI std::string LastLoaderMessage();

}  // namespace winhost
