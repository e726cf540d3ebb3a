// The host's wide string, MSTR (WStr), and SplitFilename.
#pragma once

#include "maxheap.h"
#include "strbasic.h"

#include <string>

class UtilExport WStr : public MaxHeapOperators {
public:
    WStr() = default;
    WStr(const MCHAR* s) : text_(s ? s : L"") {}
    WStr(const std::wstring& s) : text_(s) {}

    const MCHAR* data() const { return text_.c_str(); }
    MCHAR* dataForWrite() { return text_.data(); }
    int Length() const { return static_cast<int>(text_.size()); }
    int length() const { return Length(); }
    bool isNull() const { return text_.empty(); }
    operator const MCHAR*() const { return text_.c_str(); }
    const std::wstring& str() const { return text_; }

    WStr& operator=(const MCHAR* s) {
        text_ = s ? s : L"";
        return *this;
    }
    WStr& operator+=(const WStr& s) {
        text_ += s.text_;
        return *this;
    }
    WStr operator+(const WStr& s) const { return WStr(text_ + s.text_); }
    bool operator==(const WStr& s) const { return text_ == s.text_; }
    bool operator==(const MCHAR* s) const { return text_ == (s ? s : L""); }
    bool operator!=(const WStr& s) const { return text_ != s.text_; }
    bool operator<(const WStr& s) const { return text_ < s.text_; }

private:
    std::wstring text_;
};

typedef WStr MSTR;
typedef WStr TSTR;

// Splits "c:\dir\name.ext" into "c:\dir", "name" and ".ext"; pass null for a part
// that is not wanted. Both slash kinds separate folders.
CoreExport void SplitFilename(const WStr& name, WStr* p, WStr* f, WStr* e);
