# 64-bit Windows (x86_64-w64-mingw32); the build that runs under Wine.
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(MINGW_THREAD_MODEL posix)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
