#include "upload_name.h"

#include "lumra/text.h"

#include "winhost.h"

namespace {

bool Unsafe(wchar_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == L'/' || c == L'\\' ||
           c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' ||
           c == L'|' || c == 0x2028 || c == 0x2029 || c == 0xFEFF || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// UTF-16 units of a wide string (wchar_t is 32 bits here).
std::size_t Units(const std::wstring& s) {
    std::size_t n = 0;
    for (wchar_t c : s) n += static_cast<unsigned long>(c) > 0xFFFF ? 2 : 1;
    return n;
}

}  // namespace

std::string SafeUploadName(const std::string& name, std::size_t maxUnits) {
    if (!winhost::IsUtf8(name.c_str()) || name.find('\0') != std::string::npos) return "upload";
    std::wstring w = FromUtf8(name);
    const auto sep = w.find_last_of(L"/\\");
    if (sep != std::wstring::npos) w = w.substr(sep + 1);
    for (wchar_t& c : w)
        if (Unsafe(c)) c = L'_';
    // Leading dots would hide the file or name a parent; trailing dots and spaces are
    // dropped by Windows.
    while (!w.empty() && (w.front() == L'.' || w.front() == L' ')) w.erase(0, 1);
    while (!w.empty() && (w.back() == L'.' || w.back() == L' ')) w.pop_back();
    if (w.empty()) w = L"upload";
    if (Units(w) > maxUnits) {
        const auto dot = w.rfind(L'.');
        std::wstring ext = dot == std::wstring::npos || w.size() - dot > 10 ? L"" : w.substr(dot);
        std::wstring stem = w.substr(0, w.size() - ext.size());
        while (!stem.empty() && Units(stem) + Units(ext) > maxUnits) stem.pop_back();
        if (stem.empty()) stem = L"u";
        w = stem + ext;
    }
    return ToUtf8(w);
}
