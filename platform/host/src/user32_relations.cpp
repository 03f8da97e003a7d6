// user32: the window tree as the program sees it: parents, owners, siblings
// in z-order, enumeration and searches.
#include "hostwin/windows.h"

#include "codepage.h"
#include "window_manager.h"

#include <algorithm>

using namespace hostwin;

namespace {

// Calls back for each window of a snapshot that is still alive; false when
// the callback stopped the enumeration.
bool EnumerateSnapshot(const std::vector<WindowPtr>& windows, WNDENUMPROC callback, LPARAM param) {
    for (const WindowPtr& window : windows)
        if (!window->destroyed && !callback(window->handle, param)) return false;
    return true;
}

void CollectDescendants(const Window& parent, std::vector<WindowPtr>& out) {
    for (const WindowPtr& child : ChildrenOf(parent)) {
        out.push_back(child);
        CollectDescendants(*child, out);
    }
}

bool Contains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

} // namespace

extern "C" {

HWND WINAPI GetParent(HWND window) {
    WindowPtr target = RequireWindow(window);
    if (!target) return nullptr;
    // A child's parent, a popup's owner; other top-level windows have none.
    if (target->style & WS_CHILD) return target->parent;
    if (target->style & WS_POPUP) return target->owner;
    return nullptr;
}

HWND WINAPI GetAncestor(HWND window, UINT relation) {
    WindowPtr target = RequireWindow(window);
    if (!target || IsDesktop(*target)) return nullptr;
    switch (relation) {
    case GA_PARENT:
        return target->parent;
    case GA_ROOT:
        return TopLevelOf(target)->handle;
    case GA_ROOTOWNER: {
        WindowPtr root = TopLevelOf(target);
        while (WindowPtr owner = FindWindowObject(root->owner))
            root = owner;
        return root->handle;
    }
    default:
        return nullptr;
    }
}

HWND WINAPI SetParent(HWND child, HWND parent) {
    WindowPtr target = RequireWindow(child);
    if (!target || IsDesktop(*target)) return nullptr;
    WindowPtr newParent = parent ? RequireWindow(parent) : Desktop();
    if (!newParent) return nullptr;
    if (IsSelfOrDescendant(*target, newParent->handle)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HWND old = target->parent;
    WindowPtr oldParent = FindWindowObject(old);
    if (oldParent) std::erase(oldParent->children, target->handle);
    target->parent = newParent->handle;
    if (!IsDesktop(*newParent)) target->owner = nullptr;
    newParent->children.insert(newParent->children.begin(), target->handle);
    return old;
}

HWND WINAPI GetWindow(HWND window, UINT relation) {
    WindowPtr target = RequireWindow(window);
    if (!target) return nullptr;
    if (relation == GW_OWNER) return IsTopLevel(*target) ? target->owner : nullptr;
    if (relation == GW_CHILD) return target->children.empty() ? nullptr : target->children.front();
    if (relation == GW_ENABLEDPOPUP) {
        for (const WindowPtr& other : TopLevelWindows())
            if (other->owner == target->handle && (other->style & WS_VISIBLE) &&
                !(other->style & WS_DISABLED))
                return other->handle;
        return nullptr;
    }
    if (relation > GW_ENABLEDPOPUP) {
        SetLastError(ERROR_INVALID_GW_COMMAND);
        return nullptr;
    }
    WindowPtr parent = FindWindowObject(target->parent);
    if (!parent) return nullptr;
    const std::vector<HWND>& siblings = parent->children;
    if (siblings.empty()) return nullptr;
    if (relation == GW_HWNDFIRST) return siblings.front();
    if (relation == GW_HWNDLAST) return siblings.back();
    auto it = std::find(siblings.begin(), siblings.end(), target->handle);
    if (it == siblings.end()) return nullptr;
    if (relation == GW_HWNDNEXT) return ++it == siblings.end() ? nullptr : *it;
    return it == siblings.begin() ? nullptr : *--it; // GW_HWNDPREV
}

HWND WINAPI GetDesktopWindow() {
    return DesktopHandle();
}

HWND WINAPI GetTopWindow(HWND window) {
    return GetWindow(window ? window : DesktopHandle(), GW_CHILD);
}

BOOL WINAPI IsChild(HWND parent, HWND window) {
    WindowPtr current = FindWindowObject(window);
    // Only the chain of WS_CHILD windows counts; owners do not.
    while (current && (current->style & WS_CHILD)) {
        if (current->parent == parent) return TRUE;
        current = FindWindowObject(current->parent);
    }
    return FALSE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    WindowPtr target = RequireWindow(window);
    if (!target) return 0;
    if (processId) *processId = GetCurrentProcessId();
    return IsDesktop(*target) ? 0 : target->threadId;
}

BOOL WINAPI EnumWindows(WNDENUMPROC callback, LPARAM param) {
    if (!callback) return FALSE;
    return EnumerateSnapshot(TopLevelWindows(), callback, param) ? TRUE : FALSE;
}

BOOL WINAPI EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM param) {
    if (!callback) return FALSE;
    std::vector<WindowPtr> windows = TopLevelWindows();
    std::erase_if(windows, [&](const WindowPtr& w) { return w->threadId != threadId; });
    // FALSE also when the thread has no windows, as Windows answers.
    if (windows.empty()) return FALSE;
    return EnumerateSnapshot(windows, callback, param) ? TRUE : FALSE;
}

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM param) {
    if (!callback) return FALSE;
    WindowPtr root = parent ? RequireWindow(parent) : Desktop();
    if (!root) return FALSE;
    std::vector<WindowPtr> windows;
    CollectDescendants(*root, windows);
    return EnumerateSnapshot(windows, callback, param) ? TRUE : FALSE;
}

HWND WINAPI WindowFromPoint(POINT point) {
    // The deepest visible, enabled window under the point, top of the z-order first.
    WindowPtr found;
    std::vector<WindowPtr> candidates = TopLevelWindows();
    for (;;) {
        WindowPtr hit;
        for (const WindowPtr& window : candidates) {
            if (!(window->style & WS_VISIBLE)) continue;
            if (found && (window->style & WS_DISABLED)) continue;
            if (Contains(ScreenRect(*window), point)) {
                hit = window;
                break;
            }
        }
        if (!hit) break;
        found = hit;
        candidates = ChildrenOf(*hit);
    }
    return found ? found->handle : nullptr;
}

HWND WINAPI ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
    WindowPtr window = RequireWindow(parent);
    if (!window) return nullptr;
    RECT client{};
    GetClientRect(parent, &client);
    if (!Contains(client, point)) return nullptr;
    POINT screen = point;
    ClientToScreen(parent, &screen);
    // Only the parent's own children, top of the z-order first.
    for (const WindowPtr& child : ChildrenOf(*window)) {
        if ((flags & CWP_SKIPINVISIBLE) && !(child->style & WS_VISIBLE)) continue;
        if ((flags & CWP_SKIPDISABLED) && (child->style & WS_DISABLED)) continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (child->exStyle & WS_EX_TRANSPARENT)) continue;
        if (Contains(ScreenRect(*child), screen)) return child->handle;
    }
    return parent;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
    for (const WindowPtr& window : TopLevelWindows()) {
        if (className) {
            if (IS_INTRESOURCE(className)) {
                if (window->windowClass->atom !=
                    static_cast<ATOM>(reinterpret_cast<uintptr_t>(className)))
                    continue;
            } else if (!EqualIgnoringAsciiCase(ClassNameOf(*window), className)) {
                continue;
            }
        }
        if (windowName && !EqualIgnoringAsciiCase(window->text, windowName)) continue;
        return window->handle;
    }
    return nullptr;
}

} // extern "C"
