// The host side of the module services, on every platform: what the host
// application and tests need beyond windows.h.
#pragma once

#include "maxexport.h"
#include "windows.h"

#include <string>

#define WINHOSTAPI MAXSDK_VISIBLE

namespace winhost {

// Runs DLL_PROCESS_ATTACH once for every module linked into the program (a program
// that links a module's objects, as the tests do) that has not been attached yet,
// as the loader does for a module it loads. FALSE if an entry routine refused; such
// a module is not retried. At exit, attached modules receive DLL_PROCESS_DETACH.
WINHOSTAPI BOOL AttachLinkedModules();

// Wide text (paths, resource strings) to UTF-8 and back, as the host's file
// functions convert them; what cannot be encoded becomes U+FFFD.
WINHOSTAPI std::string WideToUtf8(const WCHAR* text);
WINHOSTAPI std::wstring Utf8ToWide(const std::string& text);

}  // namespace winhost
