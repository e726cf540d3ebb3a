// The part of the Windows API that the host and its plug-ins call: modules, their
// entry routine and their string resources; windows and dialogs made from dialog
// templates, with the predefined controls a panel uses. Names, signatures and constants are
// those of Windows; the host library implements them over the platform's loader.
#pragma once

#include "maxexport.h"
#include "windefs.h"

#define WINBASEAPI MAXSDK_VISIBLE
#define WINUSERAPI MAXSDK_VISIBLE

typedef const void* LPCVOID;

// Reasons passed to a module's entry routine.
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// System error codes reported through GetLastError.
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_DLL_INIT_FAILED 1114L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_RESOURCE_NOT_FOUND 1814L

#define MAX_PATH 260

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b)                                                                         \
    ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) \
                                                      << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define RGB(r, g, b) \
    ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))

// A resource named by number rather than by string.
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)

// A resource found in a module, and its loaded data.
struct HRSRC__;
typedef HRSRC__* HRSRC;
typedef void* HGLOBAL;

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_ACCEPTFILES 0x00000010L
#define DS_SETFONT 0x40L

// Control styles.
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_TYPEMASK 0x0000001FL
#define BS_PUSHBUTTON 0x00000000L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL
#define CBS_SIMPLE 0x0001L
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L

// Window messages.
#define WM_DESTROY 0x0002
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_DROPFILES 0x0233
#define WM_USER 0x0400

// Button and combo-box messages and notifications.
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BN_CLICKED 0
#define CB_ERR (-1)
#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_DROPDOWN 7

// Window data.
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)
#define GWLP_ID (-12)
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC 8
#define DWLP_USER 16

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// An exported routine as GetProcAddress returns it; callers cast it to its real
// type through a pointer to a function of no type, void (*)().
typedef INT_PTR(WINAPI* FARPROC)();

#ifdef __cplusplus
extern "C" {
#endif

WINBASEAPI DWORD WINAPI GetLastError(void);
WINBASEAPI void WINAPI SetLastError(DWORD dwErrCode);

// Loads a module (or adds a reference to one already loaded) and runs its entry
// routine with DLL_PROCESS_ATTACH on the first load. Backslashes in the path are
// folder separators, as on Windows. Null on failure, with the reason in GetLastError.
WINBASEAPI HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName);
// Drops one reference; the last one runs DLL_PROCESS_DETACH and unloads the module.
WINBASEAPI BOOL WINAPI FreeLibrary(HMODULE hLibModule);
// An export of the module itself (not of the libraries it depends on). Ordinals are
// not supported and report ERROR_PROC_NOT_FOUND.
WINBASEAPI FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// Null asks for the program itself; otherwise a loaded module by its path or file name.
WINBASEAPI HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
// The module's full path; null for the program. Truncates (and terminates) to nSize.
WINBASEAPI DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
// Thread notifications are never sent by this loader; the request is recorded.
WINBASEAPI BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule);

// A resource of the module by name and type (numbers, through MAKEINTRESOURCEW);
// null when the module has none such. Its data stays valid while the module is loaded.
WINBASEAPI HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
WINBASEAPI HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
WINBASEAPI LPVOID WINAPI LockResource(HGLOBAL hResData);
WINBASEAPI DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);

// Copies string uID (its low 16 bits) of the module's string table into lpBuffer: at
// most cchBufferMax - 1 characters, terminated; returns the characters copied. With
// cchBufferMax 0, lpBuffer is taken as an LPWSTR* and receives a read-only pointer
// to the text itself; the result is its length. 0 when the string is missing (an
// empty string is written when its block of 16 is there) or lpBuffer is null.
WINUSERAPI int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

// A modeless dialog from the module's template (a number through MAKEINTRESOURCEW):
// its controls are created in template order, which is their Z order (the first on
// top), then the procedure receives WM_INITDIALOG with dwInitParam. Null when the
// template is missing or a WS_CHILD dialog has no parent.
WINUSERAPI HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName,
                                          HWND hWndParent, DLGPROC lpDialogFunc,
                                          LPARAM dwInitParam);
// Sends WM_DESTROY to the window, then to its children, and frees them all.
WINUSERAPI BOOL WINAPI DestroyWindow(HWND hWnd);
WINUSERAPI BOOL WINAPI IsWindow(HWND hWnd);
WINUSERAPI HWND WINAPI GetParent(HWND hWnd);
WINUSERAPI HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
WINUSERAPI int WINAPI GetDlgCtrlID(HWND hWnd);
WINUSERAPI LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex);
// Returns the previous value; 0 with an error set when the handle is not a window.
WINUSERAPI LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
// Returns whether the window was disabled before.
WINUSERAPI BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
WINUSERAPI BOOL WINAPI IsWindowEnabled(HWND hWnd);
// Returns whether the window was visible before.
WINUSERAPI BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
// Visible when the window and all its ancestors have WS_VISIBLE.
WINUSERAPI BOOL WINAPI IsWindowVisible(HWND hWnd);
WINUSERAPI BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString);
WINUSERAPI int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
WINUSERAPI int WINAPI GetWindowTextLengthW(HWND hWnd);
WINUSERAPI int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);
// The window's rectangle in its parent's client coordinates is given by these two:
// the client area starts at (0, 0) and the window has no frame.
WINUSERAPI BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
WINUSERAPI BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
// Converts dialog units of the dialog's font to pixels.
WINUSERAPI BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect);
// The child at a point of the parent's client area, looking past hidden children and
// the transparent inside of group boxes; the parent itself when no child is there,
// null when the point is outside the parent.
WINUSERAPI HWND WINAPI RealChildWindowFromPoint(HWND hwndParent, POINT ptParentClientCoords);
// The same, without looking past group boxes.
WINUSERAPI HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point);
// To a dialog: the procedure's answer for WM_INITDIALOG (and the few messages that
// answer with it), otherwise what it left in DWLP_MSGRESULT; a message the
// procedure does not handle (FALSE) gets the window's default handling.
WINUSERAPI LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
WINUSERAPI LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam,
                                              LPARAM lParam);
WINUSERAPI BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
WINUSERAPI UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton);

#ifdef __cplusplus
}
#endif
