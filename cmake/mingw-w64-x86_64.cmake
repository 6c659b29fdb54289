# Cross build for 64-bit Windows with mingw-w64.
# The posix thread model is used because GoogleTest needs std::mutex, which GCC 12's
# win32 thread model lacks. Programs are linked statically, so no libwinpthread DLL is needed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARNWICK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARNWICK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNWICK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TARNWICK_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
