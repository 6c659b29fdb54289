# Cross build for 32-bit Windows (down to XP SP3) with mingw-w64.
# The win32 thread model keeps the program free of winpthreads. GoogleTest does not build
# with it, so this build makes the product only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARNWICK_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TARNWICK_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TARNWICK_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${TARNWICK_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
