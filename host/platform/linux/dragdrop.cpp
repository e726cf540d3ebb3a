// The shell's file drops: drop handles with their paths and point, and their
// delivery to the window under the point that accepts files.
#include "module_registry.h"
#include "window_tree.h"
#include "winui.h"

#include "windows.h"

#include "shellapi.h"

#include <algorithm>
#include <map>
#include <memory>

struct HDROP__ {
    std::vector<std::wstring> paths;
    POINT point{};
};

namespace winhost {

namespace {

// Live handles, owned here so that one never released is still freed at exit.
std::map<HDROP, std::unique_ptr<HDROP__>>& Handles() {
    static auto* handles = new std::map<HDROP, std::unique_ptr<HDROP__>>;
    return *handles;
}

HDROP__* Find(HDROP drop) {
    auto it = Handles().find(drop);
    return it == Handles().end() ? nullptr : it->second.get();
}

bool IsCustomControl(const Window& w) {
    return w.cls == L"CustButton" || w.cls == L"CustEdit" || w.cls == L"SpinnerControl" ||
           w.cls == L"ColorSwatch";
}

bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The deepest visible window under a point of w's client area.
Window* Deepest(Window* w, POINT p) {
    for (Window* child : w->children) {
        if (!(child->style & WS_VISIBLE) || !Inside(child->rect, p)) continue;
        Window* below = Deepest(child, POINT{p.x - child->rect.left, p.y - child->rect.top});
        // A group box lets the drop through to what lies beside it inside the group.
        if (below == child && child->cls == L"BUTTON" &&
            (child->style & BS_TYPEMASK) == BS_GROUPBOX)
            continue;
        return below;
    }
    return w;
}

// A point of `from`'s client area in `to`'s, `to` being an ancestor.
POINT ToAncestor(Window* from, Window* to, POINT p) {
    for (Window* w = from; w && w != to; w = w->parent) {
        p.x += w->rect.left;
        p.y += w->rect.top;
    }
    return p;
}

}  // namespace

HDROP CreateDropHandle(const std::vector<std::wstring>& paths, POINT point) {
    auto data = std::make_unique<HDROP__>();
    data->paths = paths;
    data->point = point;
    HDROP handle = data.get();
    Handles().emplace(handle, std::move(data));
    return handle;
}

bool DropFiles(HWND window, POINT point, const std::vector<std::wstring>& paths) {
    Window* top = FromHandle(window);
    if (!top || paths.empty()) return false;
    Window* target = Deepest(top, point);
    while (target && !(target->exStyle & WS_EX_ACCEPTFILES)) {
        if (target == top) return false;
        target = target->parent;
    }
    if (!target) return false;
    // The point of the drop in the receiver's client coordinates.
    POINT local = point;
    std::vector<Window*> chain;
    for (Window* w = target; w && w != top; w = w->parent) chain.push_back(w);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        local.x -= (*it)->rect.left;
        local.y -= (*it)->rect.top;
    }
    HDROP drop = CreateDropHandle(paths, local);
    SendMessageW(Handle(target), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    return true;
}

int OpenDropHandles() { return static_cast<int>(Handles().size()); }

LRESULT ForwardDrop(Window* w, HDROP drop) {
    HDROP__* data = Find(drop);
    if (!data || !IsCustomControl(*w) || !w->parent) return 0;
    data->point = ToAncestor(w, w->parent, data->point);
    return SendMessageW(Handle(w->parent), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

}  // namespace winhost

void DragAcceptFiles(HWND hWnd, BOOL fAccept) {
    winhost::Window* w = winhost::FromHandle(hWnd);
    if (!w) return;
    if (fAccept)
        w->exStyle |= WS_EX_ACCEPTFILES;
    else
        w->exStyle &= ~static_cast<DWORD>(WS_EX_ACCEPTFILES);
}

UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
    HDROP__* data = winhost::Find(hDrop);
    if (!data) return 0;
    if (iFile == 0xFFFFFFFFu) return static_cast<UINT>(data->paths.size());
    if (iFile >= data->paths.size()) return 0;
    const std::wstring& path = data->paths[iFile];
    if (!lpszFile) return static_cast<UINT>(path.size());
    if (cch == 0) return 0;
    const UINT n = std::min(static_cast<UINT>(path.size()), cch - 1);
    std::copy_n(path.begin(), n, lpszFile);
    lpszFile[n] = L'\0';
    return n;
}

BOOL DragQueryPoint(HDROP hDrop, POINT* ppt) {
    HDROP__* data = winhost::Find(hDrop);
    if (!data || !ppt) return FALSE;
    *ppt = data->point;
    return data->point.x >= 0 && data->point.y >= 0;
}

void DragFinish(HDROP hDrop) { winhost::Handles().erase(hDrop); }
