#include "dll_dir.h"

#include "host_paths.h"
#include "winhost.h"

#include "windows.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

std::string Utf8(const std::wstring& s) { return winhost::WideToUtf8(s.c_str()); }

std::string Hex(ULONG v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

template <class Fn>
Fn Export(HMODULE module, const char* name) {
    // FARPROC is a function of no arguments returning INT_PTR; the way to the real
    // type goes through a pointer to a function of no type.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// File kinds the host loads plug-ins from.
bool IsPluginFile(const std::filesystem::path& p) {
    static const char* const kinds[] = {".dlt", ".dlo", ".dlu", ".dlm", ".dle", ".dli",
                                        ".dlr", ".dlc", ".dlb", ".dlf", ".gup", ".bmi"};
    std::string ext = Utf8Path(p.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(std::begin(kinds), std::end(kinds), ext) != std::end(kinds);
}

}  // namespace

DllDir::DllDir() = default;
DllDir::~DllDir() { UnloadAll(); }

bool DllDir::LoadDll(const std::wstring& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = Utf8(path) + ": " + why;
        return false;
    };
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) {
        const DWORD code = GetLastError();
        return fail(code == ERROR_MOD_NOT_FOUND
                        ? "cannot load the module (missing, or a library it needs is missing)"
                    : code == ERROR_DLL_INIT_FAILED
                        ? "its entry routine failed"
                        : "cannot load the module (error " + std::to_string(code) + ")");
    }
    auto libVersion = Export<ULONG (*)()>(module, "LibVersion");
    auto libNumberClasses = Export<int (*)()>(module, "LibNumberClasses");
    auto libClassDesc = Export<ClassDesc* (*)(int)>(module, "LibClassDesc");
    auto libDescription = Export<const MCHAR* (*)()>(module, "LibDescription");
    auto libInitialize = Export<int (*)()>(module, "LibInitialize");
    auto libShutdown = Export<int (*)()>(module, "LibShutdown");
    if (!libVersion || !libNumberClasses || !libClassDesc || !libDescription) {
        FreeLibrary(module);
        return fail(
            "not a plug-in: it lacks LibVersion, LibNumberClasses, LibClassDesc or "
            "LibDescription");
    }
    const ULONG version = libVersion();
    if (version != VERSION_3DSMAX) {
        FreeLibrary(module);
        return fail("built for host version " + Hex(version) + " (release " +
                    std::to_string(GET_MAX_RELEASE(version)) + ", interface " +
                    std::to_string(GET_MAX_API_NUM(version)) + "), but this host is " +
                    Hex(VERSION_3DSMAX) + "; not loaded");
    }
    if (libInitialize && !libInitialize()) {
        FreeLibrary(module);
        return fail("its initialisation (LibInitialize) failed; not loaded");
    }

    DllDesc dll;
    dll.handle = module;
    dll.path = path;
    dll.version = version;
    dll.shutdown = libShutdown;
    if (const MCHAR* d = libDescription()) dll.description = d;
    const int count = libNumberClasses();
    for (int i = 0; i < count; ++i) {
        if (ClassDesc* cd = libClassDesc(i)) dll.classes.push_back(cd);
    }
    dlls_.push_back(std::move(dll));
    return true;
}

int DllDir::LoadDllsFromDir(const std::wstring& folder, std::vector<std::string>* errors) {
    auto report = [&](const std::string& error) {
        if (errors) errors->push_back(error);
    };
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    std::filesystem::directory_iterator it(FileSystemPath(folder), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        if (!it->is_regular_file(kindError) || !IsPluginFile(it->path())) continue;
        // A name that is not UTF-8 has no wide form that opens it again.
        if (!winhost::IsUtf8(Utf8Path(it->path())))
            report(Utf8Path(it->path()) + ": the file name is not UTF-8 text; not loaded");
        else
            files.push_back(it->path());
    }
    if (ec) report(Utf8(folder) + ": " + ec.message());
    std::sort(files.begin(), files.end());
    int loaded = 0;
    for (const auto& file : files) {
        std::string error;
        if (LoadDll(HostPath(file), &error))
            ++loaded;
        else
            report(error);
    }
    return loaded;
}

void DllDir::UnloadAll() {
    while (!dlls_.empty()) {
        DllDesc& dll = dlls_.back();
        if (dll.shutdown) dll.shutdown();
        FreeLibrary(dll.handle);
        dlls_.pop_back();
    }
}

std::vector<ClassDesc*> DllDir::Classes() const {
    std::vector<ClassDesc*> all;
    for (const DllDesc& dll : dlls_) all.insert(all.end(), dll.classes.begin(), dll.classes.end());
    return all;
}

ClassDesc* DllDir::FindClass(SClass_ID superClassID, const Class_ID& classID) const {
    for (ClassDesc* cd : Classes()) {
        if (cd->SuperClassID() == superClassID && cd->ClassID() == classID) return cd;
    }
    return nullptr;
}
