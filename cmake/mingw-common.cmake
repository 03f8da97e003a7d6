# Shared settings for the MinGW-w64 cross toolchains. The toolchain file sets
# MINGW_THREAD_MODEL:
# - "win32" (the Windows thread model) for the release artifact: the C++
#   runtime works on Windows' own threads and thread-local storage, where the
#   "posix" model links a 32 KB emulation of POSIX threads into every program;
# - "posix" for the win64 build, whose C++ library has the std::mutex that
#   GoogleTest uses (the Windows model's has none: the win32 build's Wine
#   suite programs take GoogleTest's one use of it from
#   tests/suites/wine/gtest_notification.h).
# The program's own locks are Windows' in both (platform/sync.h). Everything
# is linked statically so that no MinGW runtime DLL is needed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-${MINGW_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-${MINGW_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The release builds keep only the functions and data the program reaches
# (each in a section of its own, unreferenced sections dropped at link time)
# and are stripped: the shipped Setup.exe's size is the stripped size, and
# nothing reads symbols from it. C++ is compiled without run-time type
# information: nothing uses typeid or dynamic_cast (classes are told apart by
# their class records), and a thrown exception still carries its type.
set(CMAKE_C_FLAGS_MINSIZEREL_INIT "-Os -DNDEBUG -ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_MINSIZEREL_INIT "-Os -DNDEBUG -ffunction-sections -fdata-sections -fno-rtti")
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s -Wl,--gc-sections")
