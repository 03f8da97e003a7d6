// user32: moving, sizing, z-order and showing windows (SetWindowPos,
// ShowWindow and their kin), with the messages Windows sends for them and
// the journal events of top-level windows that appear or disappear.
#include "hostwin/windows.h"

#include "journal.h"
#include "window_manager.h"

#include <algorithm>

using namespace hostwin;

namespace {

// Flags Windows adds to WM_WINDOWPOSCHANGED when the client area kept its
// size or position; DefWindowProcA then sends no WM_SIZE or WM_MOVE.
constexpr UINT kNoClientSize = 0x0800;
constexpr UINT kNoClientMove = 0x1000;

bool IsTopmost(const WindowPtr& window) {
    return (window->exStyle & WS_EX_TOPMOST) != 0;
}

// Every window owned, directly or through other owned windows, by `owner`.
std::vector<WindowPtr> OwnedTree(const Window& owner, const std::vector<WindowPtr>& windows) {
    std::vector<WindowPtr> owned;
    std::vector<HWND> owners{owner.handle};
    for (size_t i = 0; i < owners.size(); ++i)
        for (const WindowPtr& window : windows)
            if (window->owner == owners[i] &&
                std::find(owners.begin(), owners.end(), window->handle) == owners.end()) {
                owned.push_back(window);
                owners.push_back(window->handle);
            }
    return owned;
}

void SetTopmost(const WindowPtr& window, bool topmost, const std::vector<WindowPtr>& windows) {
    auto apply = [&](const WindowPtr& w) {
        if (topmost)
            w->exStyle |= WS_EX_TOPMOST;
        else
            w->exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
    };
    apply(window);
    for (const WindowPtr& owned : OwnedTree(*window, windows))
        apply(owned);
    if (!topmost) {
        // A window that leaves the topmost band takes its owners with it.
        for (WindowPtr owner = FindWindowObject(window->owner); owner;
             owner = FindWindowObject(owner->owner))
            apply(owner);
    }
}

bool IsSpecialInsertAfter(HWND insertAfter) {
    return insertAfter == HWND_TOP || insertAfter == HWND_BOTTOM || insertAfter == HWND_TOPMOST ||
           insertAfter == HWND_NOTOPMOST;
}

// Reorders the siblings of a top-level window: the topmost band first, and
// each window's owned windows just above it.
void ChangeTopLevelOrder(const WindowPtr& window, HWND insertAfter, bool moveOwned) {
    std::vector<WindowPtr> windows = TopLevelWindows();
    WindowPtr after = IsSpecialInsertAfter(insertAfter) ? nullptr : FindWindowObject(insertAfter);
    if (insertAfter == HWND_TOPMOST) {
        SetTopmost(window, true, windows);
    } else if (insertAfter == HWND_NOTOPMOST || insertAfter == HWND_BOTTOM) {
        if (insertAfter == HWND_NOTOPMOST && !IsTopmost(window)) return;
        if (IsTopmost(window)) SetTopmost(window, false, windows);
    } else if (after && IsTopmost(window) && !IsTopmost(after)) {
        // A topmost window placed after a window of the lower band leaves the
        // topmost band, with its owned windows.
        SetTopmost(window, false, windows);
    }
    std::vector<WindowPtr> order = windows;
    std::erase(order, window);
    size_t bandEnd = 0;
    while (bandEnd < order.size() && IsTopmost(order[bandEnd]))
        ++bandEnd;
    size_t bandStart = IsTopmost(window) ? 0 : bandEnd;
    size_t bandLimit = IsTopmost(window) ? bandEnd : order.size();
    size_t index = bandStart;
    if (insertAfter == HWND_BOTTOM) {
        index = order.size();
    } else if (insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST &&
               insertAfter != HWND_NOTOPMOST) {
        auto it = std::find_if(order.begin(), order.end(),
                               [&](const WindowPtr& w) { return w->handle == insertAfter; });
        if (it != order.end())
            index = std::clamp(static_cast<size_t>(it - order.begin()) + 1, bandStart, bandLimit);
    }
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(index), window);
    if (moveOwned) {
        // Owned windows stay above their owner, in the order they had.
        std::vector<WindowPtr> owned = OwnedTree(*window, order);
        std::erase_if(owned, [&](const WindowPtr& w) { return IsTopmost(w) != IsTopmost(window); });
        for (const WindowPtr& w : owned)
            std::erase(order, w);
        auto position = std::find(order.begin(), order.end(), window);
        std::vector<WindowPtr> sorted;
        for (const WindowPtr& w : windows)
            if (std::find(owned.begin(), owned.end(), w) != owned.end()) sorted.push_back(w);
        order.insert(position, sorted.begin(), sorted.end());
    }
    std::vector<HWND>& children = Desktop()->children;
    std::vector<HWND> dead;
    for (HWND handle : children)
        if (!FindWindowObject(handle)) dead.push_back(handle);
    children.clear();
    for (const WindowPtr& w : order)
        children.push_back(w->handle);
    children.insert(children.end(), dead.begin(), dead.end());
}

void ChangeChildOrder(const WindowPtr& window, HWND insertAfter) {
    WindowPtr parent = FindWindowObject(window->parent);
    if (!parent) return;
    std::vector<HWND>& siblings = parent->children;
    std::erase(siblings, window->handle);
    auto position = siblings.begin();
    if (insertAfter == HWND_BOTTOM) {
        position = siblings.end();
    } else if (insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST &&
               insertAfter != HWND_NOTOPMOST) {
        auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
        if (it != siblings.end()) position = it + 1;
    }
    siblings.insert(position, window->handle);
}

void InvalidateTree(Window& window) {
    InvalidateWindow(window, nullptr, true);
    for (const WindowPtr& child : ChildrenOf(window))
        InvalidateTree(*child);
}

UINT SizeKind(const Window& window) {
    if (window.style & WS_MINIMIZE) return SIZE_MINIMIZED;
    if (window.style & WS_MAXIMIZE) return SIZE_MAXIMIZED;
    return SIZE_RESTORED;
}

// WM_SIZE and WM_MOVE as a window receives them after a change.
void SendSizeAndMove(const WindowPtr& window, bool size, bool move) {
    RECT client = ClientArea(*window);
    if (move)
        Send(window, WM_MOVE, 0,
             MAKELONG(SaturatedCoordinate(int64_t{window->rect.left} + client.left),
                      SaturatedCoordinate(int64_t{window->rect.top} + client.top)));
    if (size && !window->destroyed)
        Send(window, WM_SIZE, SizeKind(*window),
             MAKELONG(client.right - client.left, client.bottom - client.top));
}

} // namespace

namespace hostwin {

void RaiseWindow(const WindowPtr& window) {
    if (IsTopLevel(*window)) ChangeTopLevelOrder(window, HWND_TOP, true);
}

void SetVisibleStyle(Window& window, bool visible) {
    if (((window.style & WS_VISIBLE) != 0) == visible) return;
    if (visible)
        window.style |= WS_VISIBLE;
    else
        window.style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (!IsTopLevel(window)) return;
    RECT rect = ScreenRect(window);
    WindowPtr owner = FindWindowObject(window.owner);
    std::string ownerClass = owner ? ClassNameOf(*owner) : std::string();
    JournalEntry(visible ? "window_show" : "window_hide")
        .Text("class", ClassNameOf(window))
        .Text("caption", window.text)
        .Number("x", rect.left)
        .Number("y", rect.top)
        .Number("width", rect.right - rect.left)
        .Number("height", rect.bottom - rect.top)
        .Number("style", window.style)
        .Number("exstyle", window.exStyle)
        .TextOrNull("owner_class", owner ? ownerClass.c_str() : nullptr);
}

bool HasTrackingLimits(DWORD style) {
    return (style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD));
}

MINMAXINFO AskMinMaxInfo(const WindowPtr& window) {
    // Maximised, a window fills the work area of its monitor (a child: its
    // parent's client area) with its border just outside.
    RECT area;
    WindowPtr parent = FindWindowObject(window->parent);
    if (parent && !IsDesktop(*parent)) {
        RECT client = ClientArea(*parent);
        area = RECT{0, 0, client.right - client.left, client.bottom - client.top};
    } else {
        bool restored = !(window->style & (WS_MINIMIZE | WS_MAXIMIZE));
        area = WorkAreaNear(restored ? window->rect : window->normalRect);
    }
    int border =
        FrameInsets(window->style, window->exStyle & ~static_cast<DWORD>(WS_EX_CLIENTEDGE), false)
            .left;
    MINMAXINFO info{};
    info.ptMaxSize =
        POINT{area.right - area.left + 2 * border, area.bottom - area.top + 2 * border};
    info.ptMaxPosition = POINT{area.left - border, area.top - border};
    if ((window->style & WS_CAPTION) == WS_CAPTION)
        info.ptMinTrackSize =
            POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    else
        info.ptMinTrackSize = POINT{2 * border, 2 * border};
    info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    Send(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

RECT EnterShowState(const WindowPtr& target, UINT state) {
    Window& window = *target;
    bool wasMinimized = (window.style & WS_MINIMIZE) != 0;
    bool wasMaximized = (window.style & WS_MAXIMIZE) != 0;
    if (!wasMinimized && !wasMaximized) window.normalRect = window.rect;
    if (state == SIZE_RESTORED && wasMinimized && window.restoreToMaximized) state = SIZE_MAXIMIZED;
    if (state == SIZE_MINIMIZED) {
        // Minimised windows sit off the screen, as Windows keeps them.
        if (!wasMinimized) window.restoreToMaximized = wasMaximized;
        window.style = (window.style & ~static_cast<DWORD>(WS_MAXIMIZE)) | WS_MINIMIZE;
        return RECT{-32000, -32000, -32000 + GetSystemMetrics(SM_CXMINIMIZED),
                    -32000 + GetSystemMetrics(SM_CYMINIMIZED)};
    }
    window.restoreToMaximized = false;
    if (state == SIZE_MAXIMIZED) {
        MINMAXINFO info = AskMinMaxInfo(target);
        window.style = (window.style & ~static_cast<DWORD>(WS_MINIMIZE)) | WS_MAXIMIZE;
        return RECT{info.ptMaxPosition.x, info.ptMaxPosition.y,
                    info.ptMaxPosition.x + info.ptMaxSize.x,
                    info.ptMaxPosition.y + info.ptMaxSize.y};
    }
    window.style &= ~static_cast<DWORD>(WS_MINIMIZE | WS_MAXIMIZE);
    return window.normalRect;
}

bool PlaceWindow(const WindowPtr& window, HWND insertAfter, int x, int y, int width, int height,
                 UINT flags, bool stateChanged) {
    Window& w = *window;
    bool wasVisible = (w.style & WS_VISIBLE) != 0;
    if (wasVisible)
        flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
    else
        flags &= ~static_cast<UINT>(SWP_HIDEWINDOW);
    bool topLevel = IsTopLevel(w);
    if (!topLevel) flags |= SWP_NOACTIVATE;
    if (insertAfter == w.handle) flags |= SWP_NOZORDER;

    WINDOWPOS position{w.handle, insertAfter, x, y, width, height, flags};
    if (!(flags & SWP_NOSENDCHANGING)) {
        Send(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));
        if (w.destroyed) return true;
        flags = position.flags;
    }
    RECT oldRect = w.rect;
    RECT oldClient = ClientArea(w);
    RECT rect = oldRect;
    if (!(flags & SWP_NOMOVE)) {
        rect.right = SaturatedCoordinate(int64_t{rect.right} - rect.left + position.x);
        rect.bottom = SaturatedCoordinate(int64_t{rect.bottom} - rect.top + position.y);
        rect.left = position.x;
        rect.top = position.y;
    }
    if (!(flags & SWP_NOSIZE)) {
        rect.right = SaturatedCoordinate(int64_t{rect.left} + std::max(position.cx, 0));
        rect.bottom = SaturatedCoordinate(int64_t{rect.top} + std::max(position.cy, 0));
    }
    w.rect = rect;
    if (!(flags & SWP_NOZORDER)) {
        if (topLevel)
            ChangeTopLevelOrder(window, position.hwndInsertAfter, !(flags & SWP_NOOWNERZORDER));
        else
            ChangeChildOrder(window, position.hwndInsertAfter);
    }
    bool showing = (flags & SWP_SHOWWINDOW) != 0;
    bool hiding = (flags & SWP_HIDEWINDOW) != 0;
    if (showing) SetVisibleStyle(w, true);
    if (hiding) SetVisibleStyle(w, false);

    RECT newClient = ClientArea(w);
    bool clientSized = stateChanged ||
                       newClient.right - newClient.left != oldClient.right - oldClient.left ||
                       newClient.bottom - newClient.top != oldClient.bottom - oldClient.top;
    bool clientMoved =
        stateChanged ||
        int64_t{rect.left} + newClient.left != int64_t{oldRect.left} + oldClient.left ||
        int64_t{rect.top} + newClient.top != int64_t{oldRect.top} + oldClient.top;
    if (!(flags & SWP_NOREDRAW)) {
        if (showing && IsShown(w))
            InvalidateTree(w);
        else if (clientSized && IsShown(w))
            InvalidateWindow(w, nullptr, true);
    }

    // A shown window is activated unless told otherwise; the activation
    // messages arrive before WM_WINDOWPOSCHANGED, as on Windows.
    if (topLevel && !(flags & SWP_NOACTIVATE) && !hiding && IsShown(w)) Activate(w.handle);
    if (w.destroyed) return true;

    WINDOWPOS changed{w.handle, position.hwndInsertAfter, rect.left,
                      rect.top, rect.right - rect.left,   rect.bottom - rect.top,
                      flags};
    if (!clientSized) changed.flags |= kNoClientSize;
    if (!clientMoved) changed.flags |= kNoClientMove;
    Send(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&changed));
    if (w.destroyed) return true;
    if (hiding && topLevel && w.handle == ActiveWindow()) ActivateOtherWindow(window);
    if (hiding && !topLevel && IsSelfOrDescendant(w, FocusWindow())) ChangeFocus(w.parent);
    return true;
}

} // namespace hostwin

extern "C" {

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height,
                         UINT flags) {
    WindowPtr target = RequireWindow(window);
    if (!target) return FALSE;
    if (IsDesktop(*target)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!(flags & SWP_NOZORDER) && !IsSpecialInsertAfter(insertAfter) &&
        !RequireWindow(insertAfter))
        return FALSE;
    // Windows takes a position of 16 bits and a size of 0 to 32767 here
    // (unlike CreateWindowExA, which keeps any position).
    x = std::clamp(x, -32768, 32767);
    y = std::clamp(y, -32768, 32767);
    width = std::clamp(width, 0, 32767);
    height = std::clamp(height, 0, 32767);
    return PlaceWindow(target, insertAfter, x, y, width, height, flags, false) ? TRUE : FALSE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(window, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    WindowPtr target = RequireWindow(window);
    if (!target || IsDesktop(*target)) return FALSE;
    Window& w = *target;
    bool wasVisible = (w.style & WS_VISIBLE) != 0;
    bool minimized = (w.style & WS_MINIMIZE) != 0;
    bool maximized = (w.style & WS_MAXIMIZE) != 0;
    if (command == SW_SHOWDEFAULT) {
        STARTUPINFOA startup;
        GetStartupInfoA(&startup);
        command = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;
        if (command == SW_SHOWDEFAULT) command = SW_SHOWNORMAL;
    }
    UINT flags = 0;
    int state = -1; // no change of the show state
    bool show = true;
    switch (command) {
    case SW_HIDE:
        if (!wasVisible) return FALSE;
        show = false;
        flags = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        if (w.handle != ActiveWindow()) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
        break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_FORCEMINIMIZE:
    case SW_SHOWMINIMIZED:
        flags = SWP_SHOWWINDOW | SWP_FRAMECHANGED;
        if (command != SW_SHOWMINIMIZED) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
        if (minimized)
            flags |= SWP_NOSIZE | SWP_NOMOVE;
        else
            state = SIZE_MINIMIZED;
        break;
    case SW_SHOWMAXIMIZED:
        flags = SWP_SHOWWINDOW | SWP_FRAMECHANGED;
        if (maximized)
            flags |= SWP_NOSIZE | SWP_NOMOVE;
        else
            state = SIZE_MAXIMIZED;
        break;
    case SW_SHOWNA:
        flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER;
        break;
    case SW_SHOW:
        flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        flags = SWP_SHOWWINDOW;
        if (command == SW_SHOWNOACTIVATE) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
        if (minimized || maximized) {
            flags |= SWP_FRAMECHANGED;
            state = SIZE_RESTORED;
        } else {
            flags |= SWP_NOSIZE | SWP_NOMOVE;
        }
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A minimised window asks before it is opened again.
    if (state == SIZE_RESTORED && minimized && !Send(target, WM_QUERYOPEN)) return wasVisible;
    if (w.destroyed) return wasVisible;
    if (show != wasVisible && state < 0) {
        Send(target, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (w.destroyed) return wasVisible;
    }
    RECT rect = state >= 0 ? EnterShowState(target, static_cast<UINT>(state)) : w.rect;
    bool wasActive = w.handle == ActiveWindow();
    PlaceWindow(target, HWND_TOP, rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, flags, state >= 0);
    if (w.destroyed) return wasVisible;
    // Minimising the active window passes the activation on.
    if (state == SIZE_MINIMIZED && command != SW_SHOWMINIMIZED && wasActive && IsTopLevel(w))
        ActivateOtherWindow(target);
    if (show && w.needsSizeMessages) {
        w.needsSizeMessages = false;
        SendSizeAndMove(target, true, true);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI ShowOwnedPopups(HWND owner, BOOL show) {
    WindowPtr target = RequireWindow(owner);
    if (!target) return FALSE;
    for (const WindowPtr& window : TopLevelWindows()) {
        if (window->owner != owner) continue;
        bool visible = (window->style & WS_VISIBLE) != 0;
        UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
        if (!show && visible) {
            window->hiddenByOwner = true;
            Send(window, WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING);
            if (!window->destroyed)
                PlaceWindow(window, nullptr, 0, 0, 0, 0, flags | SWP_HIDEWINDOW, false);
        } else if (show && !visible && window->hiddenByOwner) {
            window->hiddenByOwner = false;
            Send(window, WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
            if (!window->destroyed)
                PlaceWindow(window, nullptr, 0, 0, 0, 0, flags | SWP_SHOWWINDOW, false);
        }
    }
    return TRUE;
}

} // extern "C"

namespace hostwin {

// DefWindowProcA's answer to WM_WINDOWPOSCHANGED.
void SendSizeMessagesAfterChange(HWND handle, const WINDOWPOS& position) {
    WindowPtr window = FindWindowObject(handle);
    if (!window) return;
    SendSizeAndMove(window, !(position.flags & kNoClientSize), !(position.flags & kNoClientMove));
}

} // namespace hostwin
