#include "strclass.h"

void SplitFilename(const WStr& name, WStr* p, WStr* f, WStr* e) {
    const std::wstring& s = name.str();
    const std::size_t slash = s.find_last_of(L"\\/");
    const std::size_t fileStart = slash == std::wstring::npos ? 0 : slash + 1;
    std::size_t dot = s.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < fileStart) dot = s.size();
    if (p) *p = WStr(slash == std::wstring::npos ? std::wstring() : s.substr(0, slash));
    if (f) *f = WStr(s.substr(fileStart, dot - fileStart));
    if (e) *e = WStr(s.substr(dot));
}
