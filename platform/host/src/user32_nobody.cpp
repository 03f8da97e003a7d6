// The host's stand-in for the person at the screen. A run whose standard
// input is not a terminal never waits for ever: when the program would wait
// for input with an empty queue, the host closes the window a user would
// close (as with a click on its close box). With no window to close, or when
// the same window has refused to close several times in a row, the host
// reports a deadlock: a journal line, a line on standard error and exit
// status 3.
#include "hostwin/windows.h"

#include "codepage.h"
#include "journal.h"
#include "window_manager.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

using namespace hostwin;

namespace {

constexpr int kRefusalsBeforeDeadlock = 3;

struct CloseHistory {
    HWND window = nullptr;
    int closes = 0;
};

CloseHistory& History() {
    thread_local CloseHistory history;
    return history;
}

[[noreturn]] void ReportDeadlock(const char* reason) {
    JournalEntry("deadlock").Utf8("reason", reason);
    std::fprintf(
        stderr,
        "hostwin: deadlock: the program waits for input and nobody is at the terminal (%s)\n",
        reason);
    ExitProcess(3);
}

// The window a user would close: the active window when it is shown, else
// the first shown top-level window of the thread in z-order.
WindowPtr WindowToClose() {
    DWORD thread = GetCurrentThreadId();
    WindowPtr active = FindWindowObject(ActiveWindow());
    if (active && active->threadId == thread && IsShown(*active)) return active;
    for (const WindowPtr& window : TopLevelWindows())
        if (window->threadId == thread && IsShown(*window)) return window;
    return nullptr;
}

} // namespace

namespace hostwin {

namespace {

// Set when the terminal's input has ended (Ctrl-D): from then on nobody is there.
bool terminalInputEnded = false;

} // namespace

bool PersonAtTerminal() {
    return !terminalInputEnded && isatty(STDIN_FILENO) == 1;
}

bool ReadTerminalLine(std::string& line) {
    line.clear();
    char c;
    for (;;) {
        ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got <= 0) {
            if (got == 0 || errno != EINTR) terminalInputEnded = true;
            return !line.empty();
        }
        if (c == '\n') return true;
        if (c != '\r') line += c;
    }
}

void PlayTheUser() {
    bool person = PersonAtTerminal();
    WindowPtr target = WindowToClose();
    if (!target) {
        if (person) {
            std::fprintf(stderr, "hostwin: the program shows no window to close\n");
            return;
        }
        ReportDeadlock("no window to close");
    }
    CloseHistory& history = History();
    if (history.window == target->handle) {
        ++history.closes;
    } else {
        history.window = target->handle;
        history.closes = 1;
    }
    if (!person && history.closes > kRefusalsBeforeDeadlock)
        ReportDeadlock("the window does not close");
    std::fprintf(stderr, "hostwin: %s closes the window \"%s\"\n",
                 person ? "the user" : "nobody at the terminal:", AnsiToUtf8(target->text).c_str());
    PostMessageA(target->handle, WM_CLOSE, 0, 0);
}

} // namespace hostwin
