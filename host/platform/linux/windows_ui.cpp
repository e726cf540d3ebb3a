// Windows, dialogs and the predefined controls, enough for a panel built from a
// dialog template: a tree of windows with their styles, ids, user data, texts and
// control states, and the messages that the host and plug-ins send them. There is
// no screen: nothing is painted, and windows exist until destroyed. Used from the
// host's main thread only, as Windows requires of a window's thread.
#include "module_registry.h"
#include "window_tree.h"
#include "winui.h"

#include "windows.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <set>
#include <string_view>

namespace winhost {

namespace {

std::set<Window*>& LiveWindows() {
    static std::set<Window*>* live = new std::set<Window*>;
    return *live;
}

// Rounded a * b / c, as Windows' MulDiv.
LONG MulDiv(LONG a, LONG b, LONG c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<LONG>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

// The dialog base units of a template's font. Every face is measured as MS Sans
// Serif, whose 8-point size gives the familiar 6 x 13 pixels at 96 dots per inch;
// without DS_SETFONT the system font's 8 x 16.
void BaseUnits(const winres::DialogTemplate& d, LONG* cx, LONG* cy) {
    if (!(d.style & DS_SETFONT) || d.pointSize == 0) {
        *cx = 8;
        *cy = 16;
        return;
    }
    *cy = (static_cast<LONG>(d.pointSize) * 96 + 36) / 72 + 2;
    *cx = (*cy * 6 + 6) / 13;
}

// The class name Windows reports for a predefined class.
std::wstring DisplayClass(const std::wstring& cls) {
    static const std::pair<const wchar_t*, const wchar_t*> kNames[] = {
        {L"BUTTON", L"Button"},   {L"EDIT", L"Edit"},           {L"STATIC", L"Static"},
        {L"LISTBOX", L"ListBox"}, {L"SCROLLBAR", L"ScrollBar"}, {L"COMBOBOX", L"ComboBox"}};
    for (const auto& [upper, shown] : kNames)
        if (cls == upper) return shown;
    return cls;
}

// A class a template names, as the system knows it: class names are compared
// without regard to case (the resource compiler writes them in capitals). The
// predefined controls and the host's custom controls are the classes there are;
// null for any other.
const wchar_t* KnownClass(const std::wstring& name) {
    static const wchar_t* const kClasses[] = {
        L"BUTTON",   L"EDIT",     L"STATIC",         L"LISTBOX",     L"SCROLLBAR",
        L"COMBOBOX", L"CustEdit", L"SpinnerControl", L"ColorSwatch", L"CustButton"};
    for (const wchar_t* known : kClasses) {
        const std::wstring_view k(known);
        if (k.size() == name.size() &&
            std::equal(k.begin(), k.end(), name.begin(), [](wchar_t a, wchar_t b) {
                return std::towupper(static_cast<wint_t>(a)) ==
                       std::towupper(static_cast<wint_t>(b));
            }))
            return known;
    }
    return nullptr;
}

bool IsGroupBox(const Window& w) {
    return w.cls == L"BUTTON" && (w.style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The module's dialog template `id`, as its resources hold it.
bool FindDialog(HINSTANCE instance, WORD id, winres::DialogTemplate* dialog) {
    std::shared_ptr<const ModuleResources> resources;
    if (!FindResources(instance, &resources) || !resources) return false;
    const winres::Resource* r = FindResourceById(*resources, winres::kTypeDialog, id);
    return r && winres::ReadDialogTemplate(r->data, r->size, dialog);
}

Window* NewWindow(Window* parent, std::wstring cls, std::wstring text, DWORD style, DWORD exStyle,
                  int id, RECT rect) {
    auto* w = new Window;
    w->parent = parent;
    w->cls = std::move(cls);
    w->text = std::move(text);
    w->style = style;
    w->exStyle = exStyle;
    w->id = id;
    w->rect = rect;
    LiveWindows().insert(w);
    if (parent) parent->children.push_back(w);
    return w;
}

void Destroy(Window* w) {
    // The window hears of its end before its children, as on Windows.
    if (w->dlgProc) w->dlgProc(Handle(w), WM_DESTROY, 0, 0);
    while (!w->children.empty()) Destroy(w->children.front());
    if (w->parent) {
        auto& siblings = w->parent->children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), w));
    }
    LiveWindows().erase(w);
    delete w;
}

// The child at a point of the parent's client area. Group boxes are transparent
// inside: a control beneath one is found through it, and the group box itself only
// when nothing else is there.
HWND ChildAt(HWND parent, POINT p, bool lookPastGroupBoxes) {
    Window* w = FromHandle(parent);
    if (!w) return nullptr;
    const RECT client{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    if (!Contains(client, p)) return nullptr;
    Window* groupBox = nullptr;
    for (Window* child : w->children) {
        if (lookPastGroupBoxes && !(child->style & WS_VISIBLE)) continue;
        if (!Contains(child->rect, p)) continue;
        if (!lookPastGroupBoxes) return Handle(child);
        if (IsGroupBox(*child)) {
            if (!groupBox) groupBox = child;
            continue;
        }
        return Handle(child);
    }
    return Handle(groupBox ? groupBox : w);
}

LRESULT ComboMessage(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto count = static_cast<LRESULT>(w.items.size());
    const auto index = static_cast<LRESULT>(static_cast<INT_PTR>(wParam));
    switch (msg) {
        case CB_ADDSTRING:
            w.items.emplace_back(lParam ? reinterpret_cast<const WCHAR*>(lParam) : L"");
            return count;
        case CB_RESETCONTENT:
            w.items.clear();
            w.curSel = -1;
            w.text.clear();
            return 0;
        case CB_GETCOUNT:
            return count;
        case CB_GETCURSEL:
            return w.curSel;
        case CB_SETCURSEL:
            // -1 clears the selection; an index beyond the items leaves it as it is.
            if (index == -1) {
                w.curSel = -1;
                w.text.clear();
                return CB_ERR;
            }
            if (index < 0 || index >= count) return CB_ERR;
            w.curSel = static_cast<int>(index);
            w.text = w.items[w.curSel];
            return index;
        case CB_GETLBTEXTLEN:
            return index >= 0 && index < count ? static_cast<LRESULT>(w.items[index].size())
                                               : CB_ERR;
        case CB_GETLBTEXT: {
            if (index < 0 || index >= count || !lParam) return CB_ERR;
            const std::wstring& item = w.items[index];
            auto* out = reinterpret_cast<WCHAR*>(lParam);
            std::copy(item.begin(), item.end(), out);
            out[item.size()] = L'\0';
            return static_cast<LRESULT>(item.size());
        }
    }
    return 0;
}

}  // namespace

Window* FromHandle(HWND hWnd) {
    auto* w = reinterpret_cast<Window*>(hWnd);
    if (!w || !LiveWindows().count(w)) {
        SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return w;
}

HWND Handle(Window* w) { return reinterpret_cast<HWND>(w); }

HWND CreateHostWindow(const WCHAR* title, int width, int height) {
    return Handle(NewWindow(nullptr, L"HostFrame", title ? title : L"",
                            WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0,
                            RECT{0, 0, width, height}));
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> out;
    if (Window* w = FromHandle(parent))
        for (Window* child : w->children) out.push_back(Handle(child));
    return out;
}

RECT WindowRectInParent(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    return w ? w->rect : RECT{0, 0, 0, 0};
}

std::wstring WindowClass(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    return w ? w->cls : std::wstring();
}

void SetSpinnerValue(HWND spinner, float value) {
    if (Window* w = FromHandle(spinner)) w->value = value;
}
float GetSpinnerValue(HWND spinner) {
    Window* w = FromHandle(spinner);
    return w ? w->value : 0.0f;
}
void SetSwatchColor(HWND swatch, COLORREF color) {
    if (Window* w = FromHandle(swatch)) w->color = color;
}
COLORREF GetSwatchColor(HWND swatch) {
    Window* w = FromHandle(swatch);
    return w ? w->color : 0;
}

}  // namespace winhost

using winhost::FromHandle;
using winhost::Handle;
using winhost::Window;

HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    // Templates are found by number; the host's resources have no named ones.
    if (!IS_INTRESOURCE(lpTemplateName)) {
        winhost::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    winres::DialogTemplate dialog;
    const winres::DialogTemplate* d = &dialog;
    if (!winhost::FindDialog(
            hInstance, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpTemplateName)), &dialog)) {
        winhost::SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    Window* parent = nullptr;
    if (hWndParent && !(parent = FromHandle(hWndParent))) return nullptr;
    if ((d->style & WS_CHILD) && !parent) {
        winhost::SetError(1406);  // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }
    // A control of a class the system does not know fails the whole dialog.
    for (const winres::DialogItem& item : d->items) {
        if (!winhost::KnownClass(item.windowClass)) {
            winhost::SetError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
            return nullptr;
        }
    }
    LONG unitX = 0, unitY = 0;
    winhost::BaseUnits(*d, &unitX, &unitY);
    auto toPixels = [&](short x, short y, short cx, short cy) {
        const LONG left = winhost::MulDiv(x, unitX, 4), top = winhost::MulDiv(y, unitY, 8);
        return RECT{left, top, left + winhost::MulDiv(cx, unitX, 4),
                    top + winhost::MulDiv(cy, unitY, 8)};
    };
    Window* dlg = winhost::NewWindow(parent, L"#32770", d->caption, d->style, d->exStyle, 0,
                                     toPixels(d->x, d->y, d->cx, d->cy));
    dlg->isDialog = true;
    dlg->unitX = unitX;
    dlg->unitY = unitY;
    for (const winres::DialogItem& item : d->items) {
        winhost::NewWindow(dlg, winhost::KnownClass(item.windowClass), item.text.text, item.style,
                           item.exStyle, static_cast<int>(item.id),
                           toPixels(item.x, item.y, item.cx, item.cy));
    }
    dlg->dlgProc = lpDialogFunc;
    if (lpDialogFunc) lpDialogFunc(Handle(dlg), WM_INITDIALOG, 0, dwInitParam);
    return Handle(dlg);
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    if (!w) return FALSE;
    winhost::Destroy(w);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return hWnd && winhost::LiveWindows().count(reinterpret_cast<Window*>(hWnd)) ? TRUE : FALSE;
}

HWND WINAPI GetParent(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    return w && w->parent ? Handle(w->parent) : nullptr;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Window* w = FromHandle(hDlg);
    if (!w) return nullptr;
    for (Window* child : w->children)
        if (child->id == nIDDlgItem) return Handle(child);
    winhost::SetError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    return w ? w->id : 0;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) {
    Window* w = FromHandle(hWnd);
    if (!w) return 0;
    switch (nIndex) {
        case GWLP_USERDATA:
            return w->userData;
        case GWLP_ID:
            return w->id;
        case GWL_STYLE:
            return static_cast<LONG>(w->style);
        case GWL_EXSTYLE:
            return static_cast<LONG>(w->exStyle);
        case DWLP_MSGRESULT:
            if (w->isDialog) return w->msgResult;
            break;
        case DWLP_DLGPROC:
            if (w->isDialog) return reinterpret_cast<LONG_PTR>(w->dlgProc);
            break;
        case DWLP_USER:
            if (w->isDialog) return w->dlgUser;
            break;
    }
    winhost::SetError(1413);  // ERROR_INVALID_INDEX
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    Window* w = FromHandle(hWnd);
    if (!w) return 0;
    LONG_PTR old = 0;
    switch (nIndex) {
        case GWLP_USERDATA:
            old = w->userData;
            w->userData = dwNewLong;
            return old;
        case GWLP_ID:
            old = w->id;
            w->id = static_cast<int>(dwNewLong);
            return old;
        case GWL_STYLE:
            old = static_cast<LONG>(w->style);
            w->style = static_cast<DWORD>(dwNewLong);
            return old;
        case GWL_EXSTYLE:
            old = static_cast<LONG>(w->exStyle);
            w->exStyle = static_cast<DWORD>(dwNewLong);
            return old;
        case DWLP_MSGRESULT:
            if (!w->isDialog) break;
            old = w->msgResult;
            w->msgResult = dwNewLong;
            return old;
        case DWLP_DLGPROC:
            if (!w->isDialog) break;
            old = reinterpret_cast<LONG_PTR>(w->dlgProc);
            w->dlgProc = reinterpret_cast<DLGPROC>(dwNewLong);
            return old;
        case DWLP_USER:
            if (!w->isDialog) break;
            old = w->dlgUser;
            w->dlgUser = dwNewLong;
            return old;
    }
    winhost::SetError(1413);  // ERROR_INVALID_INDEX
    return 0;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    Window* w = FromHandle(hWnd);
    if (!w) return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (bEnable)
        w->style &= ~static_cast<DWORD>(WS_DISABLED);
    else
        w->style |= WS_DISABLED;
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window* w = FromHandle(hWnd);
    if (!w) return FALSE;
    const BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    if (nCmdShow == SW_HIDE)
        w->style &= ~static_cast<DWORD>(WS_VISIBLE);
    else
        w->style |= WS_VISIBLE;
    return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    for (Window* w = FromHandle(hWnd); w; w = w->parent)
        if (!(w->style & WS_VISIBLE)) return FALSE;
    return hWnd && IsWindow(hWnd);
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    Window* w = FromHandle(hWnd);
    if (!w) return FALSE;
    w->text = lpString ? lpString : L"";
    return TRUE;
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
    Window* w = FromHandle(hWnd);
    if (!w || !lpString || nMaxCount <= 0) return 0;
    const int n = std::min(static_cast<int>(w->text.size()), nMaxCount - 1);
    std::copy_n(w->text.begin(), n, lpString);
    lpString[n] = L'\0';
    return n;
}

int WINAPI GetWindowTextLengthW(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    return w ? static_cast<int>(w->text.size()) : 0;
}

int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
    Window* w = FromHandle(hWnd);
    if (!w || !lpClassName || nMaxCount <= 0) return 0;
    const std::wstring name = winhost::DisplayClass(w->cls);
    const int n = std::min(static_cast<int>(name.size()), nMaxCount - 1);
    std::copy_n(name.begin(), n, lpClassName);
    lpClassName[n] = L'\0';
    return n;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* w = FromHandle(hWnd);
    if (!w || !lpRect) return FALSE;
    *lpRect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* w = FromHandle(hWnd);
    if (!w || !lpRect) return FALSE;
    RECT r = w->rect;
    for (Window* p = w->parent; p; p = p->parent) {
        r.left += p->rect.left;
        r.right += p->rect.left;
        r.top += p->rect.top;
        r.bottom += p->rect.top;
    }
    *lpRect = r;
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    Window* w = FromHandle(hDlg);
    if (!w || !w->isDialog || !lpRect) return FALSE;
    lpRect->left = winhost::MulDiv(lpRect->left, w->unitX, 4);
    lpRect->right = winhost::MulDiv(lpRect->right, w->unitX, 4);
    lpRect->top = winhost::MulDiv(lpRect->top, w->unitY, 8);
    lpRect->bottom = winhost::MulDiv(lpRect->bottom, w->unitY, 8);
    return TRUE;
}

HWND WINAPI RealChildWindowFromPoint(HWND hwndParent, POINT ptParentClientCoords) {
    return winhost::ChildAt(hwndParent, ptParentClientCoords, true);
}

HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point) {
    return winhost::ChildAt(hWndParent, Point, false);
}

namespace winhost {
namespace {

// What a window does with a message that no procedure of its own handles.
LRESULT DefaultMessage(Window* w, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
        case WM_SETTEXT:
            w->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"";
            return TRUE;
        case WM_GETTEXT:
            return GetWindowTextW(hWnd, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w->text.size());
        case WM_DROPFILES:
            return ForwardDrop(w, reinterpret_cast<HDROP>(wParam));
    }
    if (w->cls == L"BUTTON") {
        if (Msg == BM_GETCHECK) return w->check;
        if (Msg == BM_SETCHECK) {
            w->check = static_cast<int>(wParam);
            return 0;
        }
    }
    if (w->cls == L"COMBOBOX") return ComboMessage(*w, Msg, wParam, lParam);
    return 0;
}

// The messages whose answer is the dialog procedure's own; for every other one a
// dialog answers what the procedure left in DWLP_MSGRESULT.
bool AnswersWithProcedureResult(UINT msg) {
    return msg == WM_INITDIALOG || msg == 0x0039 /* WM_COMPAREITEM */ ||
           msg == 0x002E /* WM_VKEYTOITEM */ || msg == 0x002F /* WM_CHARTOITEM */ ||
           msg == 0x0037 /* WM_QUERYDRAGICON */ ||
           (msg >= 0x0132 && msg <= 0x0138) /* WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC */;
}

// A dialog's messages, as the system's dialog class handles them: DWLP_MSGRESULT
// is cleared, the procedure runs, and a message it does not handle (FALSE) gets the
// default handling.
LRESULT DialogMessage(Window* w, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    w->msgResult = 0;
    const INT_PTR handled = w->dlgProc ? w->dlgProc(hWnd, Msg, wParam, lParam) : FALSE;
    // The procedure may have destroyed the dialog.
    if (!IsWindow(hWnd)) return AnswersWithProcedureResult(Msg) ? handled : 0;
    if (!handled) return DefaultMessage(w, hWnd, Msg, wParam, lParam);
    return AnswersWithProcedureResult(Msg) ? handled : w->msgResult;
}

}  // namespace
}  // namespace winhost

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FromHandle(hWnd);
    if (!w) return 0;
    if (w->isDialog) return winhost::DialogMessage(w, hWnd, Msg, wParam, lParam);
    return winhost::DefaultMessage(w, hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam,
                                   LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SendMessageW(item, Msg, wParam, lParam) : 0;
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    if (!item) return FALSE;
    SendMessageW(item, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    return item ? static_cast<UINT>(SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
}
