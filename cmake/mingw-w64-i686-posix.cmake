# Cross build for 32-bit Windows with the posix thread model, for the test programs:
# GoogleTest needs std::mutex, which GCC 12's win32 thread model lacks.
set(TARNWICK_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-i686.cmake)
