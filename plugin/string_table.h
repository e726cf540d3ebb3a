// The plug-in's module handle and its one way of reading its string table.
#pragma once

#include "strbasic.h"
#include "windows.h"

// The module's instance handle, recorded when the process attaches; null before.
extern HINSTANCE hInstance;

// String `id` of the module's string table, in a buffer of 512 characters shared
// by every lookup: the text stays valid only until the next one. Null when the
// module handle is not yet known or the string does not exist.
const MCHAR* GetString(int id);
