// The six functions through which the host finds the plug-in's classes.
#include "plugin/class_desc.h"
#include "plugin/string_table.h"
#include "ui/resource.h"

#if defined(_WIN32)
#define LUMRA_EXPORT extern "C" __declspec(dllexport)
#else
#define LUMRA_EXPORT extern "C" __attribute__((visibility("default")))
#endif

LUMRA_EXPORT const MCHAR* LibDescription() { return GetString(IDS_LIBDESCRIPTION); }

LUMRA_EXPORT int LibNumberClasses() { return 1; }

LUMRA_EXPORT ClassDesc* LibClassDesc(int i) { return i == 0 ? &lumraMaterialClassDesc : nullptr; }

LUMRA_EXPORT ULONG LibVersion() { return VERSION_3DSMAX; }

LUMRA_EXPORT int LibInitialize() { return TRUE; }

LUMRA_EXPORT int LibShutdown() { return TRUE; }
