# 32-bit Windows (i686-w64-mingw32); the release artifact.
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_THREAD_MODEL win32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
