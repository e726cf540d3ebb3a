// The compiled resources of one module, as the resource compiler emits them from
// the module's resource script. Each module (or program) that carries resources
// defines one ResourceData under the name below, hidden inside the module; its
// start-up code hands it to the host, which serves it through LoadStringW.
#pragma once

#include "windefs.h"

#include <cstddef>

namespace winhost {

// Raised whenever the layout below changes, so that stale generated sources fail.
inline constexpr unsigned kResourceDataVersion = 2;

struct StringResource {
    WORD id;
    int length;         // characters, without the terminator; the text may hold NULs
    const WCHAR* text;  // terminated
};

// One control of a dialog template, as DLGITEMTEMPLATEEX holds it; the class is
// named even for the predefined ones (BUTTON, EDIT, STATIC, LISTBOX, SCROLLBAR,
// COMBOBOX), which the binary template stores as ordinals.
struct DialogItemResource {
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;  // dialog units
    DWORD id;
    const WCHAR* windowClass;
    const WCHAR* text;
};

// A dialog template (DLGTEMPLATEEX, or DLGTEMPLATE when not extended).
struct DialogResource {
    WORD id;
    bool extended;
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;        // dialog units
    const WCHAR* menu;         // "" for none
    const WCHAR* windowClass;  // "" for the system's dialog class
    const WCHAR* caption;
    WORD pointSize;  // with DS_SETFONT
    WORD weight;
    BYTE italic;
    BYTE charset;
    const WCHAR* typeface;
    const DialogItemResource* items;  // template order
    std::size_t itemCount;
};

struct ResourceData {
    unsigned version;               // kResourceDataVersion
    WORD language;                  // the script's LANGUAGE, as a Windows LANGID
    const StringResource* strings;  // sorted by id, ids unique
    std::size_t stringCount;
    const DialogResource* dialogs;  // sorted by id, ids unique
    std::size_t dialogCount;
};

}  // namespace winhost

// The name under which a module's generated resource source defines its data.
#define WINHOST_RESOURCE_SYMBOL winhost_module_resources

extern "C" __attribute__((visibility("hidden")))
const winhost::ResourceData WINHOST_RESOURCE_SYMBOL;
