// The host's plug-in loader: it loads plug-in modules, checks that they were
// built for this host, and keeps the directory of the classes they provide.
#pragma once

#include "plugapi.h"

#include <string>
#include <vector>

// One loaded plug-in module and what it said about itself.
struct DllDesc {
    HMODULE handle = nullptr;
    std::wstring path;
    std::wstring description;
    ULONG version = 0;
    std::vector<ClassDesc*> classes;
    int (*shutdown)() = nullptr;
};

class CoreExport DllDir {
public:
    DllDir();
    ~DllDir();
    DllDir(const DllDir&) = delete;
    DllDir& operator=(const DllDir&) = delete;

    // Loads one module: its version must be this host's, and its initialisation
    // must succeed. On failure nothing stays loaded and error says why.
    bool LoadDll(const std::wstring& path, std::string* error);
    // Loads every plug-in module (".dlt", ".dlo", ".dlu", ...) found in a folder, in
    // name order; errors of single modules are collected, not fatal.
    int LoadDllsFromDir(const std::wstring& folder, std::vector<std::string>* errors);
    // Shuts every module down and unloads it, the last loaded first.
    void UnloadAll();

    int Count() const { return static_cast<int>(dlls_.size()); }
    const DllDesc& operator[](int i) const { return dlls_[i]; }

    // Every class of every loaded module, in load order.
    std::vector<ClassDesc*> Classes() const;
    ClassDesc* FindClass(SClass_ID superClassID, const Class_ID& classID) const;

private:
    std::vector<DllDesc> dlls_;
};
