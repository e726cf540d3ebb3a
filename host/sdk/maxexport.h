// Export markers of the host libraries. On Windows they are dllexport/dllimport;
// here every host class and function is visible to the modules that link the host.
#pragma once

#if defined(_WIN32)
#define MAXSDK_VISIBLE
#else
#define MAXSDK_VISIBLE __attribute__((visibility("default")))
#endif

#define CoreExport MAXSDK_VISIBLE
#define GEOMEXPORT MAXSDK_VISIBLE
#define UtilExport MAXSDK_VISIBLE
#define PB2Export MAXSDK_VISIBLE
