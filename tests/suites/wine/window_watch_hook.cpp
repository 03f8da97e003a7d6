// The in-context half of window_watch: the watcher sets this DLL's OnCreate as
// a WinEvent hook on the launcher's process, so Windows loads the DLL into the
// launcher and calls OnCreate on the thread that made the window, inside its
// CreateWindowEx. OnCreate hands the window to the watcher with SendMessage,
// which returns only once the watcher has read what it needs: the window then
// still exists, however quickly the launcher ends afterwards. (An
// out-of-context hook is told of a window later, when it may be gone.)
#include "tests/suites/wine/window_watch.h"

// Tells the watcher of each window made in this process, while it exists.
extern "C" __declspec(dllexport) void CALLBACK
    OnCreate(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object != OBJID_WINDOW || child != CHILDID_SELF) return;
    HWND watcher = FindWindowExA(HWND_MESSAGE, nullptr, kWatcherClass, nullptr);
    if (watcher) SendMessageA(watcher, kWindowCreated, reinterpret_cast<WPARAM>(window), 0);
}
