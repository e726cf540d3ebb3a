// Between the parts of the window services: a window as the host keeps it.
#pragma once

#include "windows.h"

#include "shellapi.h"

#include <string>
#include <vector>

namespace winhost {

struct Window {
    Window* parent = nullptr;
    std::vector<Window*> children;  // Z order, the first on top
    std::wstring cls;               // as the template names it: BUTTON, CustEdit...
    std::wstring text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    RECT rect{};  // in the parent's client coordinates, pixels
    LONG_PTR userData = 0;
    // Dialogs
    bool isDialog = false;
    DLGPROC dlgProc = nullptr;
    LONG unitX = 0, unitY = 0;  // dialog base units of the template's font
    LONG_PTR msgResult = 0;
    LONG_PTR dlgUser = 0;
    // Controls
    int check = BST_UNCHECKED;
    std::vector<std::wstring> items;
    int curSel = -1;
    float value = 0.0f;
    COLORREF color = 0;
};

// The window of a handle; null, with ERROR_INVALID_WINDOW_HANDLE, when it is none.
Window* FromHandle(HWND hWnd);
HWND Handle(Window* w);

// WM_DROPFILES reaching a window without a dialog procedure.
LRESULT ForwardDrop(Window* w, HDROP drop);

}  // namespace winhost
