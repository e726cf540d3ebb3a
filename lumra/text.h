// Text conversions between the host's wide strings and the terminal's UTF-8.
#pragma once

#include <string>
#include <string_view>

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
// UTF-8 text from outside (a file name, a material's name from a file) made safe
// to print on a terminal, as the host prints it (winhost::EscapeControls): controls,
// the marks that reorder lines and bytes that are not UTF-8 are written as \xNN or
// \u{N}; everything printable stays as it is.
std::string EscapeControls(std::string_view utf8);
// Prints "lumra: MESSAGE" on standard error, escaped as above: messages carry file
// names and names from files.
void PrintError(std::string_view message);
// "0x00000C00"
std::string HexWord(unsigned long value);
// Shortest text that reads back as the same float.
std::string FormatFloat(float value);
