// Where the host finds files named by Windows-style paths.
#pragma once

#include "maxexport.h"
#include "strbasic.h"

#include <string>

// The folder that stands for the plug-in installation root "c:\[Lumra]": the
// LUMRA_ROOT environment variable when it is set and not empty, otherwise the data
// folder the host was built with.
CoreExport std::wstring HostDataRoot();

// Turns a path as the plug-in names it into one this system can open: the root
// "c:\[Lumra]" (any letter case, followed by a separator or nothing) becomes
// HostDataRoot(), and backslashes become slashes. Any other drive letter is kept
// as it is, so such a file simply fails to open. A null name gives "".
CoreExport std::wstring ResolveHostPath(const MCHAR* name);

// A wide file name, as the SDK and plug-ins give it, as the host's file functions
// take it (regular_file.h): UTF-8, which they open by its wide name on Windows (the
// narrow calls there would take it in the ANSI code page and lose every character
// outside it). File names cross from the SDK into the file system here.
CoreExport std::string FileSystemPath(const std::wstring& name);
