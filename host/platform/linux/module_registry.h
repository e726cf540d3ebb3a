// Between the parts of the Windows services: the loader's module table as the
// resource functions see it, the thread's last error and wide-path conversion.
#pragma once

#include "loader.h"
#include "resdata.h"

#include "windefs.h"

#include <string>

namespace winhost {

// The program's own handle: its load address.
HMODULE ProgramHandle();

// The resources of a loaded module (null when it has none); false when the handle
// names no module. A null instance means the program.
bool FindStrings(HINSTANCE instance, const ResourceData** resources);

void SetError(DWORD error);

}  // namespace winhost
