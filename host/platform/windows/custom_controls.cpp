// The host's custom controls on Windows: CustEdit, SpinnerControl, ColorSwatch and
// CustButton, registered as global classes when the host library loads, so that
// any module's dialog template can hold them. They show their text, number or
// colour as the host's controls do, and hand file drops on to the panel they sit on.
#include "winui.h"

#include "windows.h"

#include <bit>
#include <cstdint>

namespace winhost {

LRESULT ForwardDrop(HWND control, HDROP drop);
HINSTANCE HostInstance();

namespace {

enum class Kind { kEdit, kSpinner, kSwatch, kButton };

// A spinner's number (its bits) or a swatch's colour.
constexpr int kValueSlot = 0;

void PaintText(HDC dc, HWND control, RECT r, UINT format) {
    wchar_t text[256];
    const int n = GetWindowTextW(control, text, 256);
    if (n <= 0) return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(control) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, text, n, &r, format | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

void Paint(HWND control, Kind kind) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    RECT r;
    GetClientRect(control, &r);
    const bool enabled = IsWindowEnabled(control);
    HWND parent = GetParent(control);
    const auto font = reinterpret_cast<HFONT>(parent ? SendMessageW(parent, WM_GETFONT, 0, 0) : 0);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    switch (kind) {
        case Kind::kEdit: {
            FillRect(dc, &r, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
            FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
            RECT inside{r.left + 3, r.top, r.right - 2, r.bottom};
            PaintText(dc, control, inside, DT_LEFT);
            break;
        }
        case Kind::kSpinner: {
            const UINT state = enabled ? 0 : DFCS_INACTIVE;
            RECT up{r.left, r.top, r.right, (r.top + r.bottom) / 2};
            RECT down{r.left, up.bottom, r.right, r.bottom};
            DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | state);
            DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | state);
            break;
        }
        case Kind::kSwatch: {
            const auto color = static_cast<COLORREF>(GetWindowLongPtrW(control, kValueSlot));
            HBRUSH brush = CreateSolidBrush(color);
            FillRect(dc, &r, brush);
            DeleteObject(brush);
            FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
            break;
        }
        case Kind::kButton:
            DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (enabled ? 0 : DFCS_INACTIVE));
            PaintText(dc, control, RECT{r.left + 2, r.top, r.right - 2, r.bottom}, DT_CENTER);
            break;
    }
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(control, &ps);
}

LRESULT Message(Kind kind, HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Paint(control, kind);
            return 0;
        case WM_SETTEXT:
        case WM_ENABLE: {
            const LRESULT result = DefWindowProcW(control, msg, wParam, lParam);
            InvalidateRect(control, nullptr, TRUE);
            return result;
        }
        case WM_DROPFILES:
            return ForwardDrop(control, reinterpret_cast<HDROP>(wParam));
    }
    return DefWindowProcW(control, msg, wParam, lParam);
}

template <Kind kind>
LRESULT CALLBACK ControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Message(kind, control, msg, wParam, lParam);
}

struct Registration {
    Registration() {
        const struct {
            const wchar_t* name;
            WNDPROC proc;
        } classes[] = {{L"CustEdit", ControlProc<Kind::kEdit>},
                       {L"SpinnerControl", ControlProc<Kind::kSpinner>},
                       {L"ColorSwatch", ControlProc<Kind::kSwatch>},
                       {L"CustButton", ControlProc<Kind::kButton>}};
        for (const auto& c : classes) {
            WNDCLASSW wc{};
            wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
            wc.lpfnWndProc = c.proc;
            wc.cbWndExtra = sizeof(LONG_PTR);
            wc.hInstance = HostInstance();
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
            wc.lpszClassName = c.name;
            RegisterClassW(&wc);
        }
    }
};

// Before any module of the host's can make a panel.
const Registration registration;

}  // namespace

// Only the controls that have the slot are read or written.
void SetSpinnerValue(HWND spinner, float value) {
    if (WindowClass(spinner) != L"SpinnerControl") return;
    SetWindowLongPtrW(spinner, kValueSlot, std::bit_cast<std::uint32_t>(value));
}

float GetSpinnerValue(HWND spinner) {
    if (WindowClass(spinner) != L"SpinnerControl") return 0.0f;
    return std::bit_cast<float>(static_cast<std::uint32_t>(GetWindowLongPtrW(spinner, kValueSlot)));
}

void SetSwatchColor(HWND swatch, COLORREF color) {
    if (WindowClass(swatch) != L"ColorSwatch") return;
    SetWindowLongPtrW(swatch, kValueSlot, static_cast<LONG_PTR>(color));
    InvalidateRect(swatch, nullptr, TRUE);
}

COLORREF GetSwatchColor(HWND swatch) {
    if (WindowClass(swatch) != L"ColorSwatch") return 0;
    return static_cast<COLORREF>(GetWindowLongPtrW(swatch, kValueSlot));
}

}  // namespace winhost
