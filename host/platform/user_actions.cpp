// What a user does to a control, on every platform: the control changes as Windows
// changes it, and its parent hears the notification Windows sends.
#include "winui.h"

#include "windows.h"

namespace winhost {

namespace {

// A user reaches a control only when it and its ancestors are shown and enabled.
bool Reachable(HWND control, const wchar_t* cls) {
    return IsWindow(control) && IsWindowVisible(control) && IsWindowEnabled(control) &&
           WindowClass(control) == cls;
}

void NotifyParent(HWND control, WORD code) {
    if (HWND parent = GetParent(control))
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                     reinterpret_cast<LPARAM>(control));
}

}  // namespace

BOOL ClickButton(HWND button) {
    if (!Reachable(button, L"BUTTON")) return FALSE;
    const auto type = static_cast<DWORD>(GetWindowLongPtrW(button, GWL_STYLE)) & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX) {
        const bool checked = SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SendMessageW(button, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
    }
    if (type == BS_AUTORADIOBUTTON) SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
    NotifyParent(button, BN_CLICKED);
    return TRUE;
}

BOOL SelectComboItem(HWND combo, int index) {
    if (!Reachable(combo, L"COMBOBOX")) return FALSE;
    if (SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) return FALSE;
    NotifyParent(combo, CBN_SELCHANGE);
    return TRUE;
}

BOOL EnterSpinnerValue(HWND spinner, float value) {
    if (!Reachable(spinner, L"SpinnerControl")) return FALSE;
    SetSpinnerValue(spinner, value);
    if (HWND parent = GetParent(spinner))
        SendMessageW(parent, CC_SPINNER_CHANGE, static_cast<WPARAM>(GetDlgCtrlID(spinner)),
                     reinterpret_cast<LPARAM>(spinner));
    return TRUE;
}

BOOL EnterSwatchColor(HWND swatch, COLORREF color) {
    if (!Reachable(swatch, L"ColorSwatch")) return FALSE;
    SetSwatchColor(swatch, color);
    if (HWND parent = GetParent(swatch))
        SendMessageW(parent, CC_COLOR_CHANGE, MAKEWPARAM(GetDlgCtrlID(swatch), 0),
                     reinterpret_cast<LPARAM>(swatch));
    return TRUE;
}

}  // namespace winhost
