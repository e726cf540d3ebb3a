// Windows, dialogs and file drops of the host, as Windows has them (these run on
// Windows, under Wine, as well as on the stand-in): the program's own resource
// script (the plug-in's) gives the dialog template.
#include "tests/support/wine.h"

#include "winui.h"

#include "windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kPanel = 82;
constexpr int kDiffuseMultEdit = 1042;
constexpr int kDiffuseMap = 1003;
constexpr int kAnisotropyMap = 1105;
constexpr int kSigmaEdit = 1085;

// The messages of these tests' concern that the dialog received (Windows sends a
// dialog many more: focus, painting, sizes...).
std::vector<UINT> messages;
HDROP lastDrop = nullptr;

INT_PTR CALLBACK RecordingProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG || msg == WM_DESTROY || msg == WM_DROPFILES) messages.push_back(msg);
    if (msg == WM_DROPFILES) lastDrop = reinterpret_cast<HDROP>(wParam);
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        messages.clear();
        frame = winhost::CreateHostWindow(L"frame", 400, 800);
        panel = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kPanel), frame, RecordingProc, 7);
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override { DestroyWindow(frame); }

    POINT Inside(int id, LONG dx = 2, LONG dy = 2) const {
        const RECT r = winhost::WindowRectInParent(GetDlgItem(panel, id));
        return POINT{r.left + dx, r.top + dy};
    }
    // Dialog units in pixels of the panel's font.
    RECT Pixels(LONG left, LONG top, LONG right, LONG bottom) const {
        RECT r{left, top, right, bottom};
        MapDialogRect(panel, &r);
        return r;
    }

    HWND frame = nullptr;
    HWND panel = nullptr;
};

}  // namespace

TEST_F(Windows, DialogIsBuiltFromItsTemplateInDialogUnits) {
    EXPECT_EQ(messages, std::vector<UINT>({WM_INITDIALOG}));
    EXPECT_EQ(GetParent(panel), frame);
    EXPECT_EQ(winhost::ChildWindows(panel).size(), 106u);
    RECT client{};
    GetClientRect(panel, &client);
    EXPECT_EQ(client.right, Pixels(0, 0, 217, 422).right);
    EXPECT_EQ(client.bottom, Pixels(0, 0, 217, 422).bottom);
    // The diffuse multiplier's edit box: 45, 15, 20, 10 dialog units.
    const RECT edit = winhost::WindowRectInParent(GetDlgItem(panel, kDiffuseMultEdit));
    EXPECT_EQ(edit.left, Pixels(45, 15, 65, 25).left);
    EXPECT_EQ(edit.top, Pixels(45, 15, 65, 25).top);
    EXPECT_EQ(edit.right - edit.left, Pixels(0, 0, 20, 10).right);
    wchar_t cls[32];
    GetClassNameW(GetDlgItem(panel, 1013), cls, 32);
    EXPECT_EQ(std::wstring(cls), L"ComboBox");
    EXPECT_EQ(GetDlgCtrlID(GetDlgItem(panel, kDiffuseMap)), kDiffuseMap);
    EXPECT_EQ(GetDlgItem(panel, 4242), nullptr);
}

TEST_F(Windows, TemplatesThatCannotBeMadeGiveNoWindow) {
    EXPECT_EQ(CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kPanel), nullptr, RecordingProc, 0),
              nullptr);
    EXPECT_EQ(GetLastError(), 1406u);  // a child dialog needs a parent
    EXPECT_EQ(CreateDialogParamW(nullptr, MAKEINTRESOURCEW(999), frame, RecordingProc, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(Windows, UserDataStylesAndStates) {
    EXPECT_EQ(GetWindowLongPtrW(panel, GWLP_USERDATA), 0);
    EXPECT_EQ(SetWindowLongPtrW(panel, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(SetWindowLongPtrW(panel, GWLP_USERDATA, 99), 1234);
    EXPECT_EQ(GetWindowLongPtrW(panel, GWLP_USERDATA), 99);

    HWND edit = GetDlgItem(panel, kDiffuseMultEdit);
    EXPECT_FALSE(EnableWindow(edit, FALSE));  // it was enabled
    EXPECT_FALSE(IsWindowEnabled(edit));
    EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & WS_DISABLED);
    EXPECT_TRUE(EnableWindow(edit, TRUE));  // it was disabled
    EXPECT_TRUE(IsWindowVisible(edit));
    ShowWindow(panel, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(edit));  // a hidden parent hides its children
    ShowWindow(panel, SW_SHOW);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(panel, kSigmaEdit)));

    HWND stale = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
    EXPECT_EQ(GetWindowLongPtrW(stale, GWLP_USERDATA), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Windows, DestroyingTellsTheDialogAndFreesItsControls) {
    HWND edit = GetDlgItem(panel, kDiffuseMultEdit);
    ASSERT_TRUE(DestroyWindow(panel));
    EXPECT_EQ(messages.back(), static_cast<UINT>(WM_DESTROY));
    EXPECT_FALSE(IsWindow(panel));
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_TRUE(winhost::ChildWindows(frame).empty());
}

TEST_F(Windows, ComboBoxesKeepTheirItemsAndSelection) {
    HWND combo = GetDlgItem(panel, 1013);
    EXPECT_EQ(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Phong")), 0);
    EXPECT_EQ(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"GGX")), 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(GetWindowTextLengthW(combo), 3);
    // An index beyond the items is refused and leaves the choice; -1 clears it.
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(GetWindowTextLengthW(combo), 0);
    wchar_t item[16];
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item)), 5);
    EXPECT_EQ(std::wstring(item), L"Phong");
}

// The child under a point: group boxes are looked through to the control inside,
// hidden children are passed over, the parent answers where no child is. Not under
// Wine: its RealChildWindowFromPoint stops at group boxes, unlike Windows.
TEST_F(Windows, RealChildWindowFromPointLooksPastGroupBoxes) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's RealChildWindowFromPoint stops at group boxes";
    EXPECT_EQ(RealChildWindowFromPoint(panel, Inside(kDiffuseMultEdit)),
              GetDlgItem(panel, kDiffuseMultEdit));
    EXPECT_EQ(RealChildWindowFromPoint(panel, Inside(kAnisotropyMap)),
              GetDlgItem(panel, kAnisotropyMap));
    // Where the group box holds nothing, it is the answer itself.
    auto text = [](HWND w) {
        wchar_t t[64] = {};
        GetWindowTextW(w, t, 64);
        return std::wstring(t);
    };
    const RECT between = Pixels(100, 87, 100, 87);  // in the Reflectivity group, between rows
    HWND groupBox = RealChildWindowFromPoint(panel, POINT{between.left, between.top});
    ASSERT_NE(groupBox, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(groupBox, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_EQ(text(groupBox), L"Reflectivity");
    EXPECT_EQ(GetDlgCtrlID(groupBox), -1);
    ShowWindow(GetDlgItem(panel, kDiffuseMultEdit), SW_HIDE);
    EXPECT_EQ(text(RealChildWindowFromPoint(panel, Inside(kDiffuseMultEdit))), L"Diffuse");
    const RECT above = Pixels(214, 1, 300, 1);  // above every group; outside the panel
    EXPECT_EQ(RealChildWindowFromPoint(panel, POINT{above.left, above.top}), panel);
    EXPECT_EQ(RealChildWindowFromPoint(panel, POINT{above.right, above.top}), nullptr);
    // ChildWindowFromPoint stops at the group box, the first window there.
    HWND first = ChildWindowFromPoint(panel, Inside(kDiffuseMap));
    EXPECT_EQ(GetWindowLongPtrW(first, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
}

TEST_F(Windows, DragQueryFileAnswersCountLengthAndTruncatedCopies) {
    HDROP drop = winhost::CreateDropHandle({L"C:\\a\\first.png", L"second.tga"}, POINT{5, 6});
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 14u);
    wchar_t small[6] = {L'x', L'x', L'x', L'x', L'x', L'x'};
    EXPECT_EQ(DragQueryFileW(drop, 0, small, 6), 5u);  // five characters and the terminator
    EXPECT_EQ(std::wstring(small), L"C:\\a\\");
    wchar_t whole[32];
    EXPECT_EQ(DragQueryFileW(drop, 1, whole, 32), 10u);
    EXPECT_EQ(std::wstring(whole), L"second.tga");
    EXPECT_EQ(DragQueryFileW(drop, 2, whole, 32), 0u);
    POINT p{};
    EXPECT_TRUE(DragQueryPoint(drop, &p));
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 6);
    DragFinish(drop);
    EXPECT_EQ(winhost::OpenDropHandles(), 0);
}

TEST_F(Windows, DropsReachOnlyWindowsThatAcceptFiles) {
    HWND button = GetDlgItem(panel, kDiffuseMap);
    EXPECT_FALSE(winhost::DropFiles(panel, Inside(kDiffuseMap), {L"x.png"}));
    EXPECT_EQ(messages.back(), static_cast<UINT>(WM_INITDIALOG));
    DragAcceptFiles(button, TRUE);
    EXPECT_TRUE(GetWindowLongPtrW(button, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    // The host's map button hands the drop to its panel, the point in the panel's terms.
    EXPECT_TRUE(winhost::DropFiles(panel, Inside(kDiffuseMap, 3, 4), {L"x.png"}));
    EXPECT_EQ(messages.back(), static_cast<UINT>(WM_DROPFILES));
    DragAcceptFiles(button, FALSE);
    EXPECT_FALSE(winhost::DropFiles(panel, Inside(kDiffuseMap), {L"x.png"}));
    // The recording procedure never released its handle: the receiver's duty.
    EXPECT_EQ(winhost::OpenDropHandles(), 1);
    DragFinish(lastDrop);
    EXPECT_EQ(winhost::OpenDropHandles(), 0);
}
