// The part of the Windows API that the host and its plug-ins call: modules, their
// entry routine and their string resources. Names, signatures and constants are
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

#define MAX_PATH 260

// An exported routine as GetProcAddress returns it; callers cast it to the real
// type. Declared with no result so that the cast is accepted silently, as with the
// Windows compilers.
typedef void (*FARPROC)();

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

// Copies string uID of the module's string table into lpBuffer: at most
// cchBufferMax - 1 characters, always terminated; returns the characters copied.
// With cchBufferMax 0, lpBuffer is taken as an LPWSTR* and receives a read-only
// pointer to the text itself; the result is its length. 0 when the module or the
// string is unknown or lpBuffer is null.
WINUSERAPI int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

#ifdef __cplusplus
}
#endif
