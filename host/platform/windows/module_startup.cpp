// Start-up code of a program that links a module's objects: it hands the module's
// entry routine to the host, which runs it as the loader runs a DLL's.
#include "linked_modules.h"

#include "windows.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

namespace {

const bool registered = (winhost::RegisterLinkedModule(&DllMain), true);

}  // namespace
