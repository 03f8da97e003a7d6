// The marker that the stand-in programs leave, so that the suite can tell
// that they ran and how they were started: one line per fact, appended to
// "<program>.ran" beside the program file, in the ANSI code page.
#pragma once

#include "platform/win32.h"

#include <string>

namespace stand_in {

// Room for the long folder paths of the suite's cases (over MAX_PATH bytes).
constexpr DWORD PathRoom = 4096;

// The directory of the running program file, with its trailing backslash.
inline std::string ProgramDirectory() {
    char path[PathRoom] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, PathRoom);
    std::string text(path, length < PathRoom ? length : 0);
    return text.substr(0, text.find_last_of('\\') + 1);
}

// Appends the command line, the current directory and the show command the
// starter asked for to the marker "<name>.ran" beside the program.
inline void WriteMarker(const char* name) {
    char directory[PathRoom] = {};
    GetCurrentDirectoryA(sizeof(directory), directory);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    std::string show = (startup.dwFlags & STARTF_USESHOWWINDOW)
                           ? std::to_string(startup.wShowWindow)
                           : std::string("default");
    std::string text = std::string("command=") + GetCommandLineA() + "\r\ncwd=" + directory +
                       "\r\nshow=" + show + "\r\n";
    std::string marker = ProgramDirectory() + name + ".ran";
    HANDLE file = CreateFileA(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace stand_in
