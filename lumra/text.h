// Text conversions between the host's wide strings and the terminal's UTF-8.
#pragma once

#include <string>
#include <string_view>

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
// UTF-8 text from a file (a material's name, a file name), made safe to print on a
// terminal: C0 and C1 controls, DEL, the marks that reorder or break lines (U+061C,
// U+200E/F, U+2028 to U+202E, U+2066 to U+2069) and bytes that are not UTF-8 are
// written as \xNN (bytes) or \u{N} (characters). Everything printable, non-ASCII
// included, stays as it is; so does the backslash.
std::string EscapeControls(std::string_view utf8);
// "0x00000C00"
std::string HexWord(unsigned long value);
// Shortest text that reads back as the same float.
std::string FormatFloat(float value);
