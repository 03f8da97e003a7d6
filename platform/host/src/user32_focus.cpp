// user32: enabling windows, keyboard focus, activation and mouse capture.
// There is one active window, one focus and one capture for the process:
// the program's windows all live on its main thread.
#include "hostwin/windows.h"

#include "window_manager.h"

using namespace hostwin;

namespace {

struct InputState {
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    bool applicationActive = false; // activation is inside this process
};

InputState& State() {
    static InputState state;
    return state;
}

void TellTopLevelWindows(UINT message, WPARAM wParam) {
    DWORD thread = GetCurrentThreadId();
    for (const WindowPtr& window : TopLevelWindows())
        if (window->threadId == thread) Send(window, message, wParam, 0);
}

bool IsMinimized(const WindowPtr& window) {
    return (window->style & WS_MINIMIZE) != 0;
}

// True when the window or one of its parents is disabled or minimised: such
// a window cannot take the focus.
bool CannotTakeFocus(const WindowPtr& window) {
    for (WindowPtr current = window; current && !IsDesktop(*current);
         current = FindWindowObject(current->parent))
        if (current->style & (WS_DISABLED | WS_MINIMIZE)) return true;
    return false;
}

} // namespace

namespace hostwin {

HWND ActiveWindow() {
    return State().active;
}
HWND FocusWindow() {
    return State().focus;
}
HWND CaptureWindow() {
    return State().capture;
}

HWND ChangeFocus(HWND handle) {
    InputState& state = State();
    if (handle == state.focus) return state.focus;
    WindowPtr target = FindWindowObject(handle);
    HWND old = state.focus;
    state.focus = target ? handle : nullptr;
    if (WindowPtr previous = FindWindowObject(old))
        Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(state.focus));
    if (target && state.focus == handle) Send(target, WM_SETFOCUS, reinterpret_cast<WPARAM>(old));
    return old;
}

HWND Activate(HWND handle) {
    InputState& state = State();
    WindowPtr window = TopLevelOf(FindWindowObject(handle));
    HWND newHandle = window ? window->handle : nullptr;
    HWND old = state.active;
    if (old == newHandle) return old;
    WindowPtr oldWindow = FindWindowObject(old);
    state.active = newHandle;
    // The first activation of a window of the process tells all of them.
    if (window && !state.applicationActive) {
        state.applicationActive = true;
        TellTopLevelWindows(WM_ACTIVATEAPP, TRUE);
    }
    if (oldWindow) {
        Send(oldWindow, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(newHandle));
        Send(oldWindow, WM_ACTIVATE, MAKELONG(WA_INACTIVE, IsMinimized(oldWindow)),
             reinterpret_cast<LPARAM>(newHandle));
    }
    if (!window || window->destroyed) {
        if (state.applicationActive) {
            state.applicationActive = false;
            TellTopLevelWindows(WM_ACTIVATEAPP, FALSE);
        }
        if (state.active == newHandle) state.active = nullptr;
        ChangeFocus(nullptr);
        return old;
    }
    RaiseWindow(window);
    // Each owner remembers its most recently active popup.
    window->lastActivePopup = newHandle;
    for (WindowPtr owner = FindWindowObject(window->owner); owner;
         owner = FindWindowObject(owner->owner))
        owner->lastActivePopup = newHandle;
    Send(window, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(old));
    Send(window, WM_ACTIVATE, MAKELONG(WA_ACTIVE, IsMinimized(window)),
         reinterpret_cast<LPARAM>(old));
    if (state.active == newHandle && !window->destroyed &&
        !IsSelfOrDescendant(*window, state.focus))
        ChangeFocus(IsMinimized(window) ? nullptr : newHandle);
    return old;
}

void ActivateOtherWindow(const WindowPtr& leaving) {
    if (State().active != leaving->handle) return;
    // The owner takes over when it can, else the first usable window of the
    // thread in z-order.
    auto usable = [&](const WindowPtr& w) {
        return w && w != leaving && !w->destroying && (w->style & WS_VISIBLE) &&
               !(w->style & WS_DISABLED);
    };
    WindowPtr next = FindWindowObject(leaving->owner);
    if (!usable(next)) {
        next = nullptr;
        for (const WindowPtr& window : TopLevelWindows())
            if (usable(window) && window->threadId == leaving->threadId) {
                next = window;
                break;
            }
    }
    Activate(next ? next->handle : nullptr);
}

void ForgetWindowState(const WindowPtr& window) {
    InputState& state = State();
    if (state.active == window->handle) ActivateOtherWindow(window);
    if (state.active == window->handle) Activate(nullptr);
    if (IsSelfOrDescendant(*window, state.focus)) ChangeFocus(nullptr);
    if (IsSelfOrDescendant(*window, state.capture)) ReleaseCapture();
}

} // namespace hostwin

extern "C" {

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
    WindowPtr target = RequireWindow(window);
    if (!target) return FALSE;
    bool wasDisabled = (target->style & WS_DISABLED) != 0;
    if (enable && wasDisabled) {
        target->style &= ~static_cast<DWORD>(WS_DISABLED);
        Send(target, WM_ENABLE, TRUE, 0);
    } else if (!enable) {
        // Disabling cancels any mode of the window, also when it is disabled already.
        Send(target, WM_CANCELMODE);
        if (target->destroyed || wasDisabled) return wasDisabled ? TRUE : FALSE;
        target->style |= WS_DISABLED;
        // A disabled window cannot keep the keyboard focus.
        if (State().focus == target->handle) ChangeFocus(nullptr);
        Send(target, WM_ENABLE, FALSE, 0);
    }
    // The result is the previous state: non-zero when it was disabled.
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND window) {
    WindowPtr target = FindWindowObject(window);
    return target && !(target->style & WS_DISABLED) ? TRUE : FALSE;
}

HWND WINAPI GetFocus() {
    return State().focus;
}

HWND WINAPI SetFocus(HWND window) {
    if (!window) return ChangeFocus(nullptr);
    WindowPtr target = RequireWindow(window);
    if (!target || IsDesktop(*target) || CannotTakeFocus(target)) return nullptr;
    HWND previous = State().focus;
    WindowPtr top = TopLevelOf(target);
    if (top->handle != State().active) Activate(top->handle);
    if (target->destroyed || State().active != top->handle) return nullptr;
    ChangeFocus(window);
    return previous;
}

HWND WINAPI GetActiveWindow() {
    return State().active;
}

HWND WINAPI SetActiveWindow(HWND window) {
    if (!window) return Activate(nullptr);
    WindowPtr target = RequireWindow(window);
    if (!target || IsDesktop(*target)) return nullptr;
    // A child window cannot be the active window; nothing changes.
    if ((target->style & (WS_CHILD | WS_POPUP)) == WS_CHILD) return State().active;
    return Activate(window);
}

HWND WINAPI GetForegroundWindow() {
    return State().active;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    WindowPtr target = RequireWindow(window);
    if (!target || IsDesktop(*target)) return FALSE;
    Activate(TopLevelOf(target)->handle);
    return TRUE;
}

HWND WINAPI GetLastActivePopup(HWND owner) {
    WindowPtr target = RequireWindow(owner);
    if (!target) return nullptr;
    return FindWindowObject(target->lastActivePopup) ? target->lastActivePopup : owner;
}

HWND WINAPI GetCapture() {
    return State().capture;
}

HWND WINAPI SetCapture(HWND window) {
    InputState& state = State();
    WindowPtr target = FindWindowObject(window);
    HWND old = state.capture;
    if (old == window) return old;
    state.capture = target ? window : nullptr;
    if (WindowPtr previous = FindWindowObject(old))
        Send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(state.capture));
    return old;
}

BOOL WINAPI ReleaseCapture() {
    InputState& state = State();
    HWND old = state.capture;
    state.capture = nullptr;
    if (WindowPtr previous = FindWindowObject(old)) Send(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

} // extern "C"
