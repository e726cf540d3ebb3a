// What the test module saw, kept in a library of its own that the test program and
// the module share, so that it outlives the module's unloading.
#pragma once

#include "windows.h"

#include <string>
#include <vector>

struct ModuleLog {
    std::vector<std::string> events;
    HINSTANCE attachInstance = nullptr;
    bool refuseAttach = false;   // the next DLL_PROCESS_ATTACH returns FALSE
    bool traceToStderr = false;  // also print events, for a process that ends loaded
};

__attribute__((visibility("default"))) ModuleLog& TheModuleLog();
