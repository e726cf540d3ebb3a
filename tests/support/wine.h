// Whether the test runs under Wine, whose Windows differs from Windows in a few
// known places; tests that meet one say so where they step aside.
#pragma once

#include "windows.h"

inline bool RunningUnderWine() {
#if defined(_WIN32)
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}
