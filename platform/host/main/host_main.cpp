// The host program's process entry: the POSIX main hands over to the
// program's WinMain as Windows' start-up code would, with the module handle,
// the command line after the program name and the start-up show command.
#include "hostwin/windows.h"

#include <cstring>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

// The command line without its first token (the program name), as the C
// runtime's start-up code passes it to WinMain.
LPSTR ArgumentsOf(LPSTR line) {
    bool quoted = false;
    while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
        if (*line == '"') quoted = !quoted;
        ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

} // namespace

int main() {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    int status = WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsOf(GetCommandLineA()), show);
    ExitProcess(static_cast<UINT>(status));
}
