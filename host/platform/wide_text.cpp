// Wide text and UTF-8, and the host's one reading of UTF-8, for converting names
// and for printing them safely. Wide text is UTF-16 on Windows (a character beyond
// the Basic Multilingual Plane is a pair of surrogates) and whole code points on
// Linux.
#include "winhost.h"

#include <cstdint>
#include <cstdio>

namespace winhost {

namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;
constexpr std::uint32_t kReplacement = 0xFFFD;

// The length of the well-formed UTF-8 sequence at the start of `s` and its code
// point, or 0 when there is none (a stray or cut sequence, an overlong form, a
// surrogate, a code point beyond U+10FFFF). Overlong forms are refused so that no
// byte sequence other than '/' itself can come out as '/', nor '.' as '.'.
std::size_t DecodeUtf8(std::string_view s, std::uint32_t* cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        *cp = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0 || s.size() < length || byte(1) < low || byte(1) > high) return 0;
    std::uint32_t c = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i) & 0x3Fu);
    }
    *cp = c;
    return length;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendWide(std::wstring& out, std::uint32_t c) {
    if (kWideIsUtf16 && c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

// Characters that move the cursor, reorder what follows or end a line.
bool IsControl(std::uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string WideToUtf8(const WCHAR* text) {
    std::string out;
    for (; *text; ++text) {
        auto c = static_cast<std::uint32_t>(*text);
        if (kWideIsUtf16 && c >= 0xD800 && c <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(text[1]) - 0xDC00);
            ++text;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring Utf8ToWide(const std::string& text) {
    std::wstring out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t c = kReplacement;
        const std::size_t length = DecodeUtf8(std::string_view(text).substr(i), &c);
        AppendWide(out, length ? c : kReplacement);  // each byte that is not UTF-8 alone
        i += length ? length : 1;
    }
    return out;
}

bool IsUtf8(std::string_view text) {
    std::uint32_t c = 0;
    for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
        length = DecodeUtf8(text.substr(i), &c);
        if (length == 0) return false;
    }
    return true;
}

std::string EscapeControls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char buf[16];
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::uint32_t c = 0;
        const std::size_t length = DecodeUtf8(utf8.substr(i), &c);
        if (length == 0 || (c < 0x80 && IsControl(c))) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(utf8[i]));
            out += buf;
            i += 1;
        } else if (IsControl(c)) {
            std::snprintf(buf, sizeof buf, "\\u{%X}", static_cast<unsigned>(c));
            out += buf;
            i += length;
        } else {
            out.append(utf8, i, length);
            i += length;
        }
    }
    return out;
}

}  // namespace winhost
