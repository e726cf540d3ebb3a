#include "host_paths.h"

#include "winhost.h"

#include <cstdlib>
#include <cwctype>
#include <filesystem>

#ifndef LUMRA_DEFAULT_ROOT
#define LUMRA_DEFAULT_ROOT "data"
#endif

namespace {

constexpr std::wstring_view kPluginRoot = L"c:\\[lumra]";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Windows compares paths without regard to letter case.
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        wchar_t a = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(text[i])));
        wchar_t b = prefix[i] == L'/' ? L'\\' : prefix[i];
        if (a == L'/') a = L'\\';
        if (a != b) return false;
    }
    return true;
}

}  // namespace

std::wstring HostDataRoot() {
#if defined(_WIN32)
    const wchar_t* env = _wgetenv(L"LUMRA_ROOT");
    if (env && *env) return env;
#else
    const char* env = std::getenv("LUMRA_ROOT");
    if (env && *env) return winhost::Utf8ToWide(env);
#endif
    return winhost::Utf8ToWide(LUMRA_DEFAULT_ROOT);
}

std::wstring ResolveHostPath(const MCHAR* name) {
    if (!name) return {};
    std::wstring_view text(name);
    std::wstring out;
    if (StartsWithNoCase(text, kPluginRoot) &&
        (text.size() == kPluginRoot.size() || IsSeparator(text[kPluginRoot.size()]))) {
        out = HostDataRoot();
        while (out.size() > 1 && IsSeparator(out.back())) out.pop_back();
        text.remove_prefix(kPluginRoot.size());
    }
    for (wchar_t c : text) out.push_back(c == L'\\' ? L'/' : c);
    return out;
}

// On Windows the file system's names are the wide strings themselves.
std::filesystem::path FileSystemPath(std::wstring_view name) {
#if defined(_WIN32)
    return std::filesystem::path(name);
#else
    return std::filesystem::path(winhost::WideToUtf8(std::wstring(name).c_str()));
#endif
}

std::wstring HostPath(const std::filesystem::path& path) {
#if defined(_WIN32)
    return path.native();
#else
    return winhost::Utf8ToWide(path.native());
#endif
}

std::string Utf8Path(const std::filesystem::path& path) {
#if defined(_WIN32)
    return winhost::WideToUtf8(path.c_str());
#else
    return path.native();
#endif
}
