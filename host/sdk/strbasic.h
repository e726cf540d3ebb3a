// Character type of the host's Unicode builds.
#pragma once

typedef wchar_t MCHAR;
#define _M(x) L##x
