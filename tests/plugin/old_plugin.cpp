// A plug-in module built for an earlier host: the host must refuse it.
#include "plugapi.h"

#if defined(_WIN32)
#define EXPORT extern "C" __declspec(dllexport)
#else
#define EXPORT extern "C" __attribute__((visibility("default")))
#endif

EXPORT const MCHAR* LibDescription() { return L"old plug-in"; }
EXPORT int LibNumberClasses() { return 0; }
EXPORT ClassDesc* LibClassDesc(int) { return nullptr; }
EXPORT ULONG LibVersion() { return MAXVERSION(21000, 52, 0); }
EXPORT int LibInitialize() { return 1; }
EXPORT int LibShutdown() { return 1; }
