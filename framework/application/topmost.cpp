// Keeping the application's owned topmost windows out of the topmost band
// while the application is inactive or disabled, and putting them back.
#include "framework/application/application.h"

namespace {

struct TopmostSearch {
    HWND appWindow;
    HWND excluded; // the primary form's window when it is not included
    std::vector<HWND>* list;
    HWND anchor;
};

bool IsTopmost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Walks the top-level windows in z-order; the owned topmost windows above the
// first owned ordinary window (or the excluded primary form) are listed.
// No exception may cross the system's enumeration: a window that cannot be
// listed (no memory) ends the walk with what was listed so far.
BOOL CALLBACK CollectTopmost(HWND window, LPARAM param) try {
    auto* search = reinterpret_cast<TopmostSearch*>(param);
    if (GetWindow(window, GW_OWNER) != search->appWindow) return TRUE;
    if (IsTopmost(window) && window != search->excluded) {
        search->list->push_back(window);
        return TRUE;
    }
    search->anchor = window;
    return FALSE;
} catch (...) {
    return FALSE;
}

} // namespace

void TApplication::SuspendTopmosts() {
    SuspendTopmostsOf(false);
}

void TApplication::SuspendAllTopmosts() {
    SuspendTopmostsOf(true);
}

void TApplication::SuspendTopmostsOf(bool includePrimaryForm) {
    if (!FAppWindow) return;
    if (FTopmostDepth == 0) {
        HWND excluded = nullptr;
        if (!includePrimaryForm && FPrimaryForm && FPrimaryForm->HandleAllocated())
            excluded = FPrimaryForm->Handle();
        TopmostSearch search{FAppWindow, excluded, &FTopmostWindows, FAppWindow};
        EnumWindows(&CollectTopmost, reinterpret_cast<LPARAM>(&search));
        if (!FTopmostWindows.empty()) {
            // The windows go just below the window above the anchor; when that
            // one is itself topmost they leave the band (HWND_NOTOPMOST). With
            // no window above (the anchor is the application window, first in
            // the z-order) they leave it too: null would be HWND_TOP, which
            // keeps a topmost window in the band and so suspends nothing.
            HWND anchor = GetWindow(search.anchor, GW_HWNDPREV);
            if (!anchor || IsTopmost(anchor)) anchor = HWND_NOTOPMOST;
            for (auto it = FTopmostWindows.rbegin(); it != FTopmostWindows.rend(); ++it)
                SetWindowPos(*it, anchor, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        }
    }
    ++FTopmostDepth;
}

void TApplication::ResumeTopmosts() {
    if (!FAppWindow || FTopmostDepth <= 0) return;
    if (--FTopmostDepth > 0) return;
    for (auto it = FTopmostWindows.rbegin(); it != FTopmostWindows.rend(); ++it)
        SetWindowPos(*it, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    FTopmostWindows.clear();
}
