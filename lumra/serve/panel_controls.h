// The controls of an open panel as the host's window tree holds them, and a user's
// change of one of them made as the user would make it: through the control, so
// that the parameter map, the block and the material's dialog procedure react as
// in the material editor.
#pragma once

#include "windows.h"

#include <optional>
#include <string>
#include <vector>

class IParamBlock2;

enum class ControlKind { Group, Label, Edit, Spinner, Swatch, Check, Combo, MapButton, Other };
const char* ControlKindName(ControlKind kind);

struct ControlState {
    int index = 0;  // place among the panel's children, top of the Z order first
    int id = 0;     // the control id; -1 for labels without one
    ControlKind kind = ControlKind::Other;
    std::string cls;   // the window class, as the template names it
    std::string text;  // the window's text, UTF-8
    RECT rect{};       // in the panel's client area, pixels
    bool enabled = true;
    bool visible = true;
    int align = 0;                   // labels: 0 left, 1 centre, 2 right
    float value = 0.0f;              // spinners
    COLORREF color = 0;              // swatches
    bool checked = false;            // check boxes
    std::vector<std::string> items;  // combo boxes
    int choice = -1;                 // combo boxes: the chosen item, -1 none
    int buddy = 0;                   // an edit's spinner and a spinner's edit, 0 none
    float step = 0.0f;  // spinners: the change of one click, as the parameter declares it
};
bool operator==(const ControlState& a, const ControlState& b);

// Every child of the panel, in Z order. `block`, when given, pairs the edits with
// their spinners through the parameters they show.
std::vector<ControlState> ReadPanelControls(HWND panel, IParamBlock2* block);

// The controls of `after` that differ from the same control in `before`.
std::vector<ControlState> ChangedControls(const std::vector<ControlState>& before,
                                          const std::vector<ControlState>& after);

// A user's change of one control: a number for an edit or spinner, a colour for a
// swatch, on/off for a check box, an item for a combo box.
struct ControlEdit {
    int id = 0;
    std::optional<double> number;
    std::optional<COLORREF> color;
    std::optional<bool> on;
    std::optional<long long> item;
};

// Makes the change through the control; false, with a one-line reason and nothing
// changed, when the panel has no such control, it cannot take that kind of value
// or a user could not reach it (greyed or hidden).
bool ApplyControlEdit(HWND panel, IParamBlock2* block, const ControlEdit& edit, std::string* error);
