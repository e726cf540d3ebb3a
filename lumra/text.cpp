#include "text.h"

#include <charconv>
#include <cstdio>

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    for (wchar_t wc : text) {
        auto c = static_cast<char32_t>(wc);
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
    return out;
}

std::wstring FromUtf8(std::string_view text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
        ++i;
        for (; extra > 0 && i < text.size(); --extra, ++i)
            c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        out += static_cast<wchar_t>(c);
    }
    return out;
}

std::string HexWord(unsigned long value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%08lX", value);
    return buf;
}

std::string FormatFloat(float value) {
    char buf[64];
    const float magnitude = value < 0.0f ? -value : value;
    const bool plain = magnitude == 0.0f || (magnitude >= 1e-4f && magnitude < 1e9f);
    auto result = plain ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                        : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}
