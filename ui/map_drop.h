// Image files dropped from the desktop onto the panel's map buttons: each becomes a
// new bitmap texture, named after the file, in the map slot of its button.
#pragma once

#include "windows.h"

#include "shellapi.h"

#include <array>

class LumraMtl;

// The map buttons that take files, in the order they are registered when the panel
// opens. The deprecated specular maps (slots 1 and 6) have no button.
inline constexpr std::array<int, 11> kDropTargetIds = {1017, 1003, 1012, 1025, 1034, 1066,
                                                       1079, 1088, 1092, 1105, 1106};

// The map slot of a map button; -1 for any other control.
int DropSlotOfControl(int controlId);

// Puts a new bitmap texture reading `path` (as given, unchecked: the texture reports
// a file it cannot read when it is evaluated) in the slot of the control, named by
// the file's name without folder or extension. Returns the slot; -1, with nothing
// made or changed, when the control is no map button or no texture could be made.
int AssignDroppedFile(LumraMtl* mtl, int controlId, const wchar_t* path);

// WM_DROPFILES on the panel: the first file of the drop goes to the map button under
// the drop point (a point of the panel's client area), whatever the length of its
// path; the other files are ignored. Releases the drop handle. Returns the slot that
// received the file, or -1.
int ReceiveDroppedFiles(LumraMtl* mtl, HWND panel, HDROP drop);
