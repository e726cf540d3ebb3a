// A picture of a panel as the screen would show it, one pixel per screen pixel:
// group boxes and labels, edit boxes with their values, spinners, colour swatches,
// check boxes, combo boxes showing their choice and map buttons with their map's
// name; greyed controls greyed, hidden ones absent. Drawn in software with a small
// built-in font, the texts in the panel's own words.
#pragma once

#include "windows.h"

#include <cstdint>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom, three bytes a pixel
};

// The panel's client area with its visible controls.
Picture PaintPanel(HWND panel);
