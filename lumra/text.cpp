#include "text.h"

#include "winhost.h"

#include <charconv>
#include <cstdio>

// The host's own conversions, which its file functions use too.
std::string ToUtf8(std::wstring_view text) {
    return winhost::WideToUtf8(std::wstring(text).c_str());
}

std::wstring FromUtf8(std::string_view text) { return winhost::Utf8ToWide(std::string(text)); }

std::string EscapeControls(std::string_view utf8) { return winhost::EscapeControls(utf8); }

void PrintError(std::string_view message) {
    std::fprintf(stderr, "lumra: %s\n", EscapeControls(message).c_str());
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
