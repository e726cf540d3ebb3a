// The host side of the window services: what the host's own code (parameter maps,
// the material editor, the host application and tests) needs beyond windows.h —
// the state of the host's custom controls, the user's actions, and file drops.
#pragma once

#include "winhost.h"

#include "shellapi.h"

#include <string>
#include <vector>

namespace winhost {

// A frame window of the host (the material editor's), which dialogs are children of.
WINHOSTAPI HWND CreateHostWindow(const WCHAR* title, int width, int height);

// The children of a window in Z order, the first on top.
WINHOSTAPI std::vector<HWND> ChildWindows(HWND parent);
// The window's rectangle in its parent's client coordinates.
WINHOSTAPI RECT WindowRectInParent(HWND hWnd);
// The window's class: a predefined one in capitals, as templates name them (BUTTON,
// COMBOBOX...), one of the host's custom controls as registered (CustEdit...).
WINHOSTAPI std::wstring WindowClass(HWND hWnd);

// The value of the host's custom controls: a spinner's number, a swatch's colour.
WINHOSTAPI void SetSpinnerValue(HWND spinner, float value);
WINHOSTAPI float GetSpinnerValue(HWND spinner);
WINHOSTAPI void SetSwatchColor(HWND swatch, COLORREF color);
WINHOSTAPI COLORREF GetSwatchColor(HWND swatch);

// What a user does to a control, with the notifications Windows sends the control's
// parent: a click on a button (an automatic check box toggles first; BN_CLICKED), a
// choice in a combo box (CBN_SELCHANGE). FALSE when the control is missing, disabled
// or hidden, as a user cannot reach it then.
WINHOSTAPI BOOL ClickButton(HWND button);
WINHOSTAPI BOOL SelectComboItem(HWND combo, int index);
// A value typed into a spinner: the host's spinners tell their parent through
// CC_SPINNER_CHANGE (wParam: the spinner's id, lParam: its handle).
#define CC_SPINNER_CHANGE (WM_USER + 600)
WINHOSTAPI BOOL EnterSpinnerValue(HWND spinner, float value);
// A colour chosen in a swatch's colour picker: the host's swatches tell their parent
// through CC_COLOR_CHANGE (wParam: the swatch's id in the low word, lParam: its handle).
#define CC_COLOR_CHANGE (WM_USER + 603)
WINHOSTAPI BOOL EnterSwatchColor(HWND swatch, COLORREF color);

// A drop handle as the shell makes one: the paths and the point, in the client
// coordinates of the window it is sent to. The receiver releases it with DragFinish.
WINHOSTAPI HDROP CreateDropHandle(const std::vector<std::wstring>& paths, POINT point);
// Drops files at a point of a window's client area as the shell does: the deepest
// visible window under the point that accepts files, or its nearest ancestor that
// does, receives WM_DROPFILES. False, and nothing sent, when no window there accepts
// files. The host's custom controls hand a drop on to the panel they sit on, with
// the point in the panel's client coordinates.
WINHOSTAPI bool DropFiles(HWND window, POINT point, const std::vector<std::wstring>& paths);
// Drop handles not yet released.
WINHOSTAPI int OpenDropHandles();

}  // namespace winhost
