// Keeping the application's owned topmost windows out of the topmost band
// while the application is inactive or disabled, and putting them back.
#include "framework/application/application.h"

namespace {

struct TopmostSearch {
    HWND appWindow;
    HWND excluded;  // the primary form's window when it is not included
    std::vector<HWND>* list;
    HWND anchor;
};

bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Walks the top-level windows in z-order; the owned topmost windows above the
// first owned ordinary window (or the excluded primary form) are listed.
BOOL CALLBACK CollectTopmost(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TopmostSearch*>(param);
    if (GetWindow(window, GW_OWNER) != search->appWindow) return TRUE;
    if (IsTopmost(window) && window != search->excluded) {
        search->list->push_back(window);
        return TRUE;
    }
    search->anchor = window;
    return FALSE;
}

}  // namespace

void TApplication::SuspendTopmosts() { SuspendTopmostsOf(false); }

void TApplication::SuspendAllTopmosts() { SuspendTopmostsOf(true); }

void TApplication::SuspendTopmostsOf(bool includePrimaryForm) {
    if (!FAppWindow) return;
    if (FTopmostDepth == 0) {
        HWND excluded = nullptr;
        if (!includePrimaryForm && FPrimaryForm && FPrimaryForm->HandleAllocated())
            excluded = FPrimaryForm->Handle();
        TopmostSearch search{FAppWindow, excluded, &FTopmostWindows, FAppWindow};
        EnumWindows(&CollectTopmost, reinterpret_cast<LPARAM>(&search));
        if (!FTopmostWindows.empty()) {
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
