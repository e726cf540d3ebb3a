// Between the parts of the Windows services: the loader's module table as the
// resource functions see it, and the thread's last error.
#pragma once

#include "loader.h"
#include "resource_format.h"

#include "windows.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace winhost {

// The program's own handle: its load address.
HMODULE ProgramHandle();

// A module's resources, read from its embedded .res file.
struct ModuleResources {
    std::vector<winres::Resource> all;  // pointing into the module's own bytes
    // The strings of its string tables, sorted by id; empty ones are left out, as
    // Windows cannot tell them from missing ones.
    std::vector<std::pair<UINT, std::wstring>> strings;
};

// The resources of a loaded module (null when it has none); false when the handle
// names no module. A null instance means the program. Their data lies in the
// module: valid while it is loaded.
bool FindResources(HINSTANCE instance, std::shared_ptr<const ModuleResources>* resources);

// A resource by numeric type and name; null when there is none.
const winres::Resource* FindResourceById(const ModuleResources& resources, WORD type, WORD name);

void SetError(DWORD error);

}  // namespace winhost
