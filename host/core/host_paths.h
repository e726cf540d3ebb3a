// Where the host finds files named by Windows-style paths.
#pragma once

#include "maxexport.h"
#include "strbasic.h"

#include <filesystem>
#include <string>
#include <string_view>

// The folder that stands for the plug-in installation root "c:\[Lumra]": the
// LUMRA_ROOT environment variable when it is set and not empty, otherwise the data
// folder the host was built with.
CoreExport std::wstring HostDataRoot();

// Turns a path as the plug-in names it into one this system can open: the root
// "c:\[Lumra]" (any letter case, followed by a separator or nothing) becomes
// HostDataRoot(), and backslashes become slashes. Any other drive letter is kept
// as it is, so such a file simply fails to open. A null name gives "".
CoreExport std::wstring ResolveHostPath(const MCHAR* name);

// File names cross between the SDK's wide strings (MSTR, MCHAR*, and the wide
// strings of Windows calls such as DragQueryFileW) and the file system here, and
// nowhere else: explicitly, never through the C locale, which knows nothing beyond
// ASCII unless a program sets it. In the SDK's strings a name is UTF-16 on Windows
// and whole code points on Linux; the file system names files by the same UTF-16 on
// Windows and in UTF-8 bytes on Linux. The host's file functions take UTF-8 names
// (Utf8Path) on both, and open them by the wide name on Windows (the narrow calls
// there would read them in the ANSI code page and lose every character outside it).
//
// A wide file name as the file system names it.
CoreExport std::filesystem::path FileSystemPath(std::wstring_view name);
// A path of the file system as the SDK's strings hold it. A Linux name need not be
// UTF-8: each byte of it that is not becomes U+FFFD (winhost::IsUtf8 on Utf8Path
// tells), so such a name cannot be opened again by its wide form.
CoreExport std::wstring HostPath(const std::filesystem::path& path);
// The path in UTF-8, as the host's file functions (regular_file.h, host_image.h) take
// it and as messages print it.
CoreExport std::string Utf8Path(const std::filesystem::path& path);
