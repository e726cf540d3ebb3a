// LoadStringW over the string tables that the resource compiler made from each
// module's resource script.
#include "module_registry.h"

#include "windows.h"

#include <algorithm>

namespace {

const winhost::StringResource* FindString(const winhost::ResourceData& data, UINT id) {
    const auto* begin = data.strings;
    const auto* end = data.strings + data.stringCount;
    const auto* it = std::lower_bound(
        begin, end, id, [](const winhost::StringResource& s, UINT key) { return s.id < key; });
    return it != end && it->id == id ? it : nullptr;
}

}  // namespace

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
    const winhost::ResourceData* resources = nullptr;
    if (!winhost::FindStrings(hInstance, &resources)) return fail(ERROR_INVALID_HANDLE);
    if (!resources) return fail(ERROR_RESOURCE_DATA_NOT_FOUND);
    const winhost::StringResource* s = uID <= 0xFFFF ? FindString(*resources, uID) : nullptr;
    // An empty entry is indistinguishable from a missing one in a Windows string table.
    if (!s || s->length == 0) return fail(ERROR_RESOURCE_NAME_NOT_FOUND);

    if (cchBufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(lpBuffer) = s->text;
        return s->length;
    }
    const int copied = std::min(s->length, cchBufferMax - 1);
    std::copy_n(s->text, copied, lpBuffer);
    lpBuffer[copied] = L'\0';
    return copied;
}
