// The names a module file exports, as the platform's loader sees them: the PE
// export table of the module on Windows, its dynamic symbol table on Linux.
#pragma once

#include "windows.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

// Sorted; false when the module cannot be read. An export without a name (by
// ordinal only) is listed as "#ordinal".
inline bool ModuleExports(const std::string& path, std::vector<std::string>* names) {
    names->clear();
#if defined(_WIN32)
    const std::wstring wide(path.begin(), path.end());
    HMODULE module = LoadLibraryExW(wide.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!module) return false;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.Size) {
        const auto* table =
            reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
        const auto* nameRvas = reinterpret_cast<const DWORD*>(base + table->AddressOfNames);
        for (DWORD i = 0; i < table->NumberOfNames; ++i)
            names->emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
        for (DWORD i = table->NumberOfNames; i < table->NumberOfFunctions; ++i) {
            std::string ordinal = "#";
            ordinal += std::to_string(table->Base + i);
            names->push_back(ordinal);
        }
    }
    FreeLibrary(module);
#else
    const std::string command = "nm -D --defined-only '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string s(line);
        s = s.substr(s.find_last_of(' ') + 1);
        s.erase(s.find_last_not_of("\r\n") + 1);
        names->push_back(s);
    }
    if (pclose(pipe) != 0) return false;
#endif
    std::sort(names->begin(), names->end());
    return true;
}
