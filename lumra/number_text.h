// Numbers and colours as typed on the command line: one reading for every option,
// so that what --set refuses no other option takes.
#pragma once

#include "color.h"

#include <string>

// A finite 32-bit float ("0.5", "-2e3", "0x1p-3"; blanks around it allowed). False
// with `why` ("is not a number", "is out of the range of a 32-bit float", "is not
// finite") otherwise; values too small for a float become 0 or the nearest
// denormal, as the conversion rounds them.
bool ParseFloatText(const std::string& text, float* value, std::string* why);

// A whole number that fits 32 bits.
bool ParseIntText(const std::string& text, int* value, std::string* why);

// Three finite floats separated by commas: "r,g,b".
bool ParseColorText(const std::string& text, Color* value, std::string* why);
