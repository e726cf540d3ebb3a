// A material's panel open in the host's material editor.
#pragma once

#include "tests/support/plugin_fixture.h"

#include "mtl_editor.h"
#include "winui.h"

#include "windows.h"

#include <memory>
#include <string>

class PanelTest : public PluginTest {
protected:
    void SetUp() override { editor = std::make_unique<MtlEditor>(); }
    void TearDown() override {
        // Panels close before their materials go, as in the editor.
        editor.reset();
        PluginTest::TearDown();
    }

    // Opens the material's panel and returns its page.
    HWND Open(LumraMtl* mtl) {
        EXPECT_TRUE(editor->Open(mtl));
        page = editor->Pages().empty() ? nullptr : editor->Pages().front();
        return page;
    }
    HWND Item(int id) const { return GetDlgItem(page, id); }
    std::wstring Text(int id) const {
        wchar_t text[256] = {};
        GetWindowTextW(Item(id), text, 256);
        return text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    // The centre of a control, in the page's client coordinates.
    POINT Centre(int id) const {
        const RECT r = winhost::WindowRectInParent(Item(id));
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // A place on the page given in dialog units, in pixels of the page's font: the
    // panel's geometry holds whatever font the system gives it.
    POINT DialogPoint(LONG x, LONG y) const {
        RECT r{x, y, x, y};
        MapDialogRect(page, &r);
        return POINT{r.left, r.top};
    }
    // The page's own procedure called as the dialog calls it, with its answer (a
    // message sent to the dialog answers what the procedure left in DWLP_MSGRESULT).
    INT_PTR CallPageProcedure(UINT msg, WPARAM wParam, LPARAM lParam) const {
        const auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(page, DWLP_DLGPROC));
        return proc ? proc(page, msg, wParam, lParam) : -1;
    }

    std::unique_ptr<MtlEditor> editor;
    HWND page = nullptr;
};
