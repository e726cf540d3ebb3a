// Programs that link a module's objects (the tests do, as on Linux): Windows runs a
// DLL's entry routine, never a program's, so the host runs the linked one itself.
#pragma once

#include "winhost.h"

namespace winhost {

typedef BOOL(WINAPI* DllEntryProc)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

// Called by the program's start-up code: AttachLinkedModules runs this entry routine
// with the program's handle.
WINHOSTAPI void RegisterLinkedModule(DllEntryProc entry);

}  // namespace winhost
