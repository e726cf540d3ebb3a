// The host side of the module services, on every platform: what the host
// application and tests need beyond windows.h.
#pragma once

#include "maxexport.h"
#include "windows.h"

#include <string>
#include <string_view>

#define WINHOSTAPI MAXSDK_VISIBLE

namespace winhost {

// Runs DLL_PROCESS_ATTACH once for every module linked into the program (a program
// that links a module's objects, as the tests do) that has not been attached yet,
// as the loader does for a module it loads. FALSE if an entry routine refused; such
// a module is not retried. At exit, attached modules receive DLL_PROCESS_DETACH.
WINHOSTAPI BOOL AttachLinkedModules();

// Wide text (paths, resource strings) to UTF-8 and back, as the host's file
// functions convert them, never through the C locale. What cannot be encoded (an
// unpaired surrogate) becomes U+FFFD, and so does each byte that is not part of
// well-formed UTF-8 (a stray or cut sequence, an overlong form, a surrogate).
WINHOSTAPI std::string WideToUtf8(const WCHAR* text);
WINHOSTAPI std::wstring Utf8ToWide(const std::string& text);
// Whether the bytes are well-formed UTF-8, so that Utf8ToWide keeps every one. A
// Linux file name need not be.
WINHOSTAPI bool IsUtf8(std::string_view text);
// UTF-8 text from outside the program (a file name, a material's name from a file)
// made safe to print on a terminal: C0 and C1 controls, DEL, the marks that reorder
// or break lines (U+061C, U+200E/F, U+2028 to U+202E, U+2066 to U+2069) and bytes
// that are not UTF-8 are written as \xNN (bytes) or \u{N} (characters). Everything
// printable, non-ASCII included, stays as it is; so does the backslash.
WINHOSTAPI std::string EscapeControls(std::string_view utf8);

}  // namespace winhost
