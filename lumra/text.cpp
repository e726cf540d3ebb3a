#include "text.h"

#include "winhost.h"

#include <charconv>
#include <cstdio>

// The host's own conversions, which its file functions use too.
std::string ToUtf8(std::wstring_view text) {
    return winhost::WideToUtf8(std::wstring(text).c_str());
}

std::wstring FromUtf8(std::string_view text) { return winhost::Utf8ToWide(std::string(text)); }

namespace {

// The length of the well-formed UTF-8 sequence at the start of `s` and its code
// point, or 0 when it is not one (overlong forms and surrogates included).
std::size_t DecodeUtf8(std::string_view s, char32_t* cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
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
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    *cp = c;
    return length;
}

// Characters that move the cursor, reorder what follows or end a line.
bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string EscapeControls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char buf[16];
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t c = lead;
        const std::size_t length = lead < 0x80 ? 1 : DecodeUtf8(utf8.substr(i), &c);
        if (length == 0 || (c < 0x80 && IsControl(c))) {
            std::snprintf(buf, sizeof buf, "\\x%02X", lead);
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
