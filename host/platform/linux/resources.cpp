// A module's resources as Windows serves them: found by type and name, and the
// strings of its string tables through LoadStringW. They come from the .res file
// that the Windows resource compiler made from the module's script.
#include "module_registry.h"

#include "windows.h"

#include <algorithm>

namespace {

// A module's resource: its handle is the resource itself, valid while the module is
// loaded (the module keeps its table until it unloads).
struct Found {
    std::shared_ptr<const winhost::ModuleResources> resources;
    const winres::Resource* resource = nullptr;
};

Found Lookup(HMODULE module, LPCWSTR name, LPCWSTR type) {
    Found found;
    if (!winhost::FindResources(module, &found.resources)) {
        winhost::SetError(ERROR_INVALID_HANDLE);
        return found;
    }
    if (!found.resources) {
        winhost::SetError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return found;
    }
    // The host's resources are numbered; named ones are not looked up.
    if (!IS_INTRESOURCE(name) || !IS_INTRESOURCE(type)) {
        winhost::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return found;
    }
    found.resource = winhost::FindResourceById(
        *found.resources, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(type)),
        static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    if (!found.resource) winhost::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return found;
}

}  // namespace

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    const winres::Resource* r = Lookup(hModule, lpName, lpType).resource;
    return reinterpret_cast<HRSRC>(const_cast<winres::Resource*>(r));
}

HGLOBAL WINAPI LoadResource(HMODULE /*hModule*/, HRSRC hResInfo) {
    if (!hResInfo) {
        winhost::SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<unsigned char*>(reinterpret_cast<const winres::Resource*>(hResInfo)->data);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE /*hModule*/, HRSRC hResInfo) {
    if (!hResInfo) {
        winhost::SetError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(reinterpret_cast<const winres::Resource*>(hResInfo)->size);
}

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    if (!lpBuffer || cchBufferMax < 0) {
        winhost::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A failed lookup leaves an empty string behind, so that a caller who ignores the
    // result never reads what was in the buffer before.
    auto fail = [&](DWORD error) {
        if (cchBufferMax > 0) lpBuffer[0] = L'\0';
        winhost::SetError(error);
        return 0;
    };
    std::shared_ptr<const winhost::ModuleResources> resources;
    if (!winhost::FindResources(hInstance, &resources)) return fail(ERROR_INVALID_HANDLE);
    if (!resources) return fail(ERROR_RESOURCE_DATA_NOT_FOUND);
    const auto& strings = resources->strings;
    const auto it = std::lower_bound(strings.begin(), strings.end(), uID,
                                     [](const auto& s, UINT key) { return s.first < key; });
    if (uID > 0xFFFF || it == strings.end() || it->first != uID)
        return fail(ERROR_RESOURCE_NAME_NOT_FOUND);

    const std::wstring& text = it->second;
    const int length = static_cast<int>(text.size());
    if (cchBufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(lpBuffer) = text.c_str();
        return length;
    }
    const int copied = std::min(length, cchBufferMax - 1);
    std::copy_n(text.begin(), copied, lpBuffer);
    lpBuffer[copied] = L'\0';
    return copied;
}
