// A material's panel open in the host's material editor, for the commands that show
// it or drop files on it. Other commands (render) combine the same way: make the
// material, apply --set and --map, then ApplyPanelDrops, then do their own work.
#pragma once

#include "mtl.h"
#include "mtl_editor.h"

#include <string>
#include <vector>

// "X,Y=FILE": a file dropped at a point of the panel's client area.
struct PanelDrop {
    POINT at{0, 0};
    std::string file;
};
bool ParsePanelDrop(const std::string& text, PanelDrop* drop, std::string* error);

// Where a drop went: the map slot that received a new texture (-1: none did), the
// slot's name and the texture's name.
struct DropOutcome {
    PanelDrop drop;
    int slot = -1;
    std::string slotName;
    std::string textureName;
};
std::string DescribeDrop(const DropOutcome& outcome);

class PanelSession {
public:
    // Opens the material's panel; false with the reason when it makes none.
    bool Open(Mtl* mtl, std::string* error);
    HWND Page() const;
    // Drops the file as the shell does, on whatever window takes files at the point.
    DropOutcome Drop(const PanelDrop& drop);

private:
    MtlEditor editor_;
    Mtl* mtl_ = nullptr;
};

// Opens the material's panel, drops each file in turn, closes the panel. False with
// the reason when the panel cannot be opened.
bool ApplyPanelDrops(Mtl* mtl, const std::vector<PanelDrop>& drops,
                     std::vector<DropOutcome>* outcomes, std::string* error);
