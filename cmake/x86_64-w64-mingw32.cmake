# Cross build for 64-bit Windows with mingw-w64, as the plug-in ships (the `windows`
# preset). The posix thread model: the win32 one of GCC 12 has no std::thread or
# std::mutex. Programs run under Wine (CMAKE_CROSSCOMPILING_EMULATOR), which is how
# the tests run on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine's 64-bit loader is not on the PATH.
find_program(LUMRA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(LUMRA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LUMRA_WINE64})
endif()
