// The binary resource formats of Windows, as the resource compiler writes them and
// the system reads them: the compiled resource file (.res), string tables in
// blocks of 16, and dialog templates. Text in them is UTF-16 (little-endian); it is
// read into wide strings (on Linux a character outside the Basic Multilingual Plane
// becomes one wchar_t, as it does when the same text is written there).
#pragma once

#include "maxexport.h"
#include "windows.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace winres {

// Resource types that the host serves.
inline constexpr WORD kTypeDialog = 5;
inline constexpr WORD kTypeString = 6;

// One resource of a .res file. Types and names given as text are kept as text;
// the host looks resources up by number.
struct Resource {
    bool typeIsId = true;
    WORD typeId = 0;
    std::wstring typeName;
    bool nameIsId = true;
    WORD nameId = 0;
    std::wstring name;
    WORD language = 0;
    const unsigned char* data = nullptr;  // inside the file's bytes
    std::size_t size = 0;
};

// The resources of a .res file, in file order, pointing into `bytes`, which must
// outlive them. The empty entry that opens every .res file is left out. False, with
// the reason in `error`, when the bytes are no well-formed .res file.
MAXSDK_VISIBLE bool ReadResFile(const unsigned char* bytes, std::size_t size,
                                std::vector<Resource>* resources, std::string* error);

// The 16 strings of string-table block `(id / 16) + 1`; an empty string is a missing
// one. False when the block is cut short.
MAXSDK_VISIBLE bool ReadStringBlock(const void* data, std::size_t size,
                                    std::array<std::wstring, 16>* strings);

// A sz_Or_Ord field of a dialog template: nothing, a number or a text.
struct NameOrId {
    bool isId = false;
    WORD id = 0;
    std::wstring text;
};

// One control of a dialog template (DLGITEMTEMPLATEEX, or DLGITEMTEMPLATE).
struct DialogItem {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    DWORD id = 0;
    // The predefined classes stored as numbers (0x80 to 0x85) are named here as
    // their templates name them: BUTTON, EDIT, STATIC, LISTBOX, SCROLLBAR, COMBOBOX.
    std::wstring windowClass;
    NameOrId text;
    std::vector<unsigned char> creationData;
};

// A dialog template (DLGTEMPLATEEX, or DLGTEMPLATE when not extended).
struct DialogTemplate {
    bool extended = false;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    NameOrId menu;
    NameOrId windowClass;
    std::wstring caption;
    WORD pointSize = 0;  // with DS_SETFONT
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;  // template order
};

// False when the template is cut short or holds a field out of its bounds.
MAXSDK_VISIBLE bool ReadDialogTemplate(const void* data, std::size_t size, DialogTemplate* dialog);

}  // namespace winres
