// A 5×7 pixel font for labelling pictures: capital letters, digits, and . , = - ( ) /
#pragma once

#include "color.h"

#include <string>
#include <vector>

// Draws text (lower case is drawn as capitals; other characters as blanks) into
// an RGB picture at (x, y), the glyphs' top left, scaled by `scale`.
void DrawLabel(std::vector<Color>& pixels, int width, int height, int x, int y,
               const std::string& text, const Color& colour, int scale = 1);
// The width in pixels of a label drawn at `scale`.
int LabelWidth(const std::string& text, int scale = 1);
