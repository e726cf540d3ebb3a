// The shell's drag-and-drop of files onto windows. A window that accepts files
// receives WM_DROPFILES with a drop handle in wParam; the handle holds the dropped
// paths and the point of the drop, and the receiver releases it with DragFinish.
#pragma once

#include "maxexport.h"
#include "windows.h"

#define SHSTDAPI_(type) MAXSDK_VISIBLE type

struct HDROP__;
typedef HDROP__* HDROP;

#ifdef __cplusplus
extern "C" {
#endif

// Sets or clears WS_EX_ACCEPTFILES on the window.
SHSTDAPI_(void) DragAcceptFiles(HWND hWnd, BOOL fAccept);
// iFile 0xFFFFFFFF: the number of files. lpszFile null: the length of path iFile,
// without the terminator. Otherwise copies at most cch - 1 characters of the path
// and a terminator, and returns the characters copied. 0 for a bad handle or index.
SHSTDAPI_(UINT) DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
// The drop point in the client coordinates of the window that received the drop;
// TRUE when it lies in the client area.
SHSTDAPI_(BOOL) DragQueryPoint(HDROP hDrop, POINT* ppt);
// Releases the handle.
SHSTDAPI_(void) DragFinish(HDROP hDrop);

#ifdef __cplusplus
}
#endif
