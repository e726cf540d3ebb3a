// The compiled resources of one module, as the resource compiler emits them from
// the module's resource script. Each module (or program) that carries resources
// defines one ResourceData under the name below, hidden inside the module; its
// start-up code hands it to the host, which serves it through LoadStringW.
#pragma once

#include "windefs.h"

#include <cstddef>

namespace winhost {

// Raised whenever the layout below changes, so that stale generated sources fail.
inline constexpr unsigned kResourceDataVersion = 1;

struct StringResource {
    WORD id;
    int length;         // characters, without the terminator; the text may hold NULs
    const WCHAR* text;  // terminated
};

struct ResourceData {
    unsigned version;               // kResourceDataVersion
    WORD language;                  // the script's LANGUAGE, as a Windows LANGID
    const StringResource* strings;  // sorted by id, ids unique
    std::size_t stringCount;
};

}  // namespace winhost

// The name under which a module's generated resource source defines its data.
#define WINHOST_RESOURCE_SYMBOL winhost_module_resources

extern "C" __attribute__((visibility("hidden")))
const winhost::ResourceData WINHOST_RESOURCE_SYMBOL;
