// The host's windows on Windows: its frame window, and what its code and tests ask
// of any window.
#include "winui.h"

#include "windows.h"

#include <algorithm>
#include <cwctype>
#include <string_view>

namespace winhost {

namespace {

constexpr wchar_t kFrameClass[] = L"LumraHostFrame";

LRESULT CALLBACK FrameProc(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The frame keeps the size the host asks for, however tall.
    if (msg == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxTrackSize = POINT{32767, 32767};
        return 0;
    }
    return DefWindowProcW(frame, msg, wParam, lParam);
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towupper(static_cast<wint_t>(x)) ==
                      std::towupper(static_cast<wint_t>(y));
           });
}

}  // namespace

// The host library's own module, whose window classes it registers.
HINSTANCE HostInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&HostInstance), &module);
    return module;
}

HWND CreateHostWindow(const WCHAR* title, int width, int height) {
    static const ATOM frameClass = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = HostInstance();
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kFrameClass;
        return RegisterClassW(&wc);
    }();
    if (!frameClass) return nullptr;
    // The client area is width x height, as in the host's own frame.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    return CreateWindowExW(0, kFrameClass, title ? title : L"", style, 0, 0, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, HostInstance(), nullptr);
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> out;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        out.push_back(child);
    return out;
}

RECT WindowRectInParent(HWND hWnd) {
    RECT r{0, 0, 0, 0};
    if (!GetWindowRect(hWnd, &r)) return r;
    HWND parent = (GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD) ? GetParent(hWnd) : nullptr;
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring WindowClass(HWND hWnd) {
    wchar_t name[256];
    const int n = GetClassNameW(hWnd, name, 256);
    if (n <= 0) return {};
    const std::wstring_view cls(name, static_cast<size_t>(n));
    for (const wchar_t* predefined :
         {L"BUTTON", L"EDIT", L"STATIC", L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"})
        if (SameName(cls, predefined)) return predefined;
    return std::wstring(cls);
}

}  // namespace winhost
