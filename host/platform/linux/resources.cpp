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
    if (!winhost::FindResources(module, &found.resources) || !found.resources) {
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

// As Windows reads a string: block (id / 16) + 1 of the table, then entry id % 16
// of it, only the low 16 bits of the id counting. A missing block leaves the buffer
// as it was; a missing (empty) entry of a block that is there answers an empty string.
int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    if (!lpBuffer) return 0;
    const WORD id = LOWORD(uID);
    std::shared_ptr<const winhost::ModuleResources> resources;
    if (!winhost::FindResources(hInstance, &resources) || !resources) {
        winhost::SetError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    if (!winhost::FindResourceById(*resources, winres::kTypeString,
                                   static_cast<WORD>((id >> 4) + 1))) {
        winhost::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    static const std::wstring kEmpty;
    const auto& strings = resources->strings;
    const auto it = std::lower_bound(strings.begin(), strings.end(), UINT{id},
                                     [](const auto& s, UINT key) { return s.first < key; });
    const std::wstring& text = it != strings.end() && it->first == id ? it->second : kEmpty;
    const int length = static_cast<int>(text.size());
    if (cchBufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(lpBuffer) = text.c_str();
        return length;
    }
    // A negative size is refused (Wine's arithmetic answers a negative count).
    const int copied = std::min(cchBufferMax - 1, length);
    if (copied > 0) {
        std::copy_n(text.begin(), copied, lpBuffer);
        lpBuffer[copied] = L'\0';
        return copied;
    }
    if (cchBufferMax > 1) lpBuffer[0] = L'\0';
    return 0;
}
