// Text conversions between the host's wide strings and the terminal's UTF-8.
#pragma once

#include <string>
#include <string_view>

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
// "0x00000C00"
std::string HexWord(unsigned long value);
// Shortest text that reads back as the same float.
std::string FormatFloat(float value);
