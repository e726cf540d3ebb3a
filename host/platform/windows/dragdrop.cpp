// File drops on Windows: drop handles as the shell makes them (a DROPFILES block in
// global memory, which DragQueryFileW and DragFinish of shell32 read and free), and
// their delivery to the window under the point that accepts files.
#include "winui.h"

#include "windows.h"

#include <shlobj.h>

#include <mutex>
#include <set>

namespace winhost {

namespace {

std::mutex handlesLock;
// Handles made here that may not yet be released.
std::set<HGLOBAL>& Handles() {
    static auto* handles = new std::set<HGLOBAL>;
    return *handles;
}

bool IsGroupBox(HWND w) {
    return WindowClass(w) == L"BUTTON" &&
           (static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE)) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The deepest visible window under a point of w's client area.
HWND Deepest(HWND w, POINT p) {
    for (HWND child : ChildWindows(w)) {
        if (!(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) continue;
        const RECT r = WindowRectInParent(child);
        if (!PtInRect(&r, p)) continue;
        const HWND below = Deepest(child, POINT{p.x - r.left, p.y - r.top});
        // A group box lets the drop through to what lies beside it inside the group.
        if (below == child && IsGroupBox(child)) continue;
        return below;
    }
    return w;
}

}  // namespace

HDROP CreateDropHandle(const std::vector<std::wstring>& paths, POINT point) {
    std::size_t chars = 1;  // the list ends with an empty path
    for (const std::wstring& p : paths) chars += p.size() + 1;
    HGLOBAL memory =
        GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(WCHAR));
    if (!memory) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = point;
    header->fNC = FALSE;
    header->fWide = TRUE;
    auto* out = reinterpret_cast<WCHAR*>(header + 1);
    for (const std::wstring& p : paths) {
        out = std::copy(p.begin(), p.end(), out);
        *out++ = L'\0';
    }
    GlobalUnlock(memory);
    std::lock_guard guard(handlesLock);
    Handles().insert(memory);
    return static_cast<HDROP>(memory);
}

bool DropFiles(HWND window, POINT point, const std::vector<std::wstring>& paths) {
    if (!IsWindow(window) || paths.empty()) return false;
    HWND target = Deepest(window, point);
    while (!(GetWindowLongPtrW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) {
        if (target == window) return false;
        target = GetParent(target);
    }
    // The point of the drop in the receiver's client coordinates.
    POINT local = point;
    MapWindowPoints(window, target, &local, 1);
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(CreateDropHandle(paths, local)), 0);
    return true;
}

int OpenDropHandles() {
    std::lock_guard guard(handlesLock);
    // DragFinish frees the memory; a freed handle has no size.
    std::erase_if(Handles(), [](HGLOBAL h) { return GlobalSize(h) == 0; });
    return static_cast<int>(Handles().size());
}

// A custom control hands a drop on to the panel it sits on, with the point in the
// panel's client coordinates.
LRESULT ForwardDrop(HWND control, HDROP drop) {
    HWND parent = GetParent(control);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    if (!parent || !header) return 0;
    MapWindowPoints(control, parent, &header->pt, 1);
    GlobalUnlock(drop);
    return SendMessageW(parent, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

}  // namespace winhost
