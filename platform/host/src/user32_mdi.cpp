// user32: the multiple-document client window ("MDICLIENT") and the default
// procedures of MDI frames and children: creating, destroying, activating,
// maximising and restoring child windows; everything else goes on to
// DefWindowProcA.
#include "hostwin/windows.h"

#include "window_manager.h"

using namespace hostwin;

namespace {

constexpr DWORD kAllChildStyles = 0x0001; // MDIS_ALLCHILDSTYLES

bool IsMdiChildOf(HWND client, HWND child) {
    WindowPtr window = FindWindowObject(child);
    return window && window->parent == client && (window->exStyle & WS_EX_MDICHILD);
}

// Makes `child` the client's active child and tells both children. Only one
// child is maximised at a time: when the one losing the activation is, it is
// restored and a visible child taking over is maximised in its place.
void ActivateChild(const WindowPtr& client, HWND child) {
    HWND previous = IsWindow(client->activeMdiChild) ? client->activeMdiChild : nullptr;
    if (previous == child) return;
    client->activeMdiChild = child;
    if (previous && IsZoomed(previous)) {
        if (child && IsWindowVisible(child)) ShowWindow(child, SW_SHOWMAXIMIZED);
        ShowWindow(previous, SW_SHOWNOACTIVATE);
    }
    const LPARAM activated = reinterpret_cast<LPARAM>(child);
    if (previous)
        SendMessageA(previous, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(previous), activated);
    if (child) SendMessageA(child, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(previous), activated);
}

LRESULT CreateChild(const WindowPtr& client, const MDICREATESTRUCTA* create) {
    if (!create) return 0;
    DWORD style = create->style;
    if (!(client->style & kAllChildStyles)) {
        // Without MDIS_ALLCHILDSTYLES a child takes only a few styles of its
        // own and always gets the frame of an overlapped window.
        style &=
            WS_MINIMIZE | WS_MAXIMIZE | WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN | WS_DISABLED;
        style |= WS_VISIBLE | WS_OVERLAPPEDWINDOW;
    }
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    int count = 0;
    for (const WindowPtr& child : ChildrenOf(*client))
        if (child->exStyle & WS_EX_MDICHILD) ++count;
    auto zero = [](int value) { return value == CW_USEDEFAULT ? 0 : value; };
    HWND child = CreateWindowExA(
        WS_EX_MDICHILD, create->szClass, create->szTitle, style, zero(create->x), zero(create->y),
        zero(create->cx), zero(create->cy), client->handle,
        reinterpret_cast<HMENU>(static_cast<uintptr_t>(client->mdiFirstChildId + count)),
        static_cast<HINSTANCE>(create->hOwner), const_cast<MDICREATESTRUCTA*>(create));
    if (!child) return 0;
    // The new child becomes the active one in the state its style asks for;
    // a maximised child before it is restored.
    HWND previous = client->activeMdiChild;
    if (IsWindow(previous) && previous != child && IsZoomed(previous))
        ShowWindow(previous, SW_SHOWNOACTIVATE);
    ActivateChild(client, child);
    return reinterpret_cast<LRESULT>(child);
}

// After the active child went: the next visible child in z-order takes over.
void ActivateNextChild(const WindowPtr& client) {
    for (const WindowPtr& child : ChildrenOf(*client))
        if ((child->exStyle & WS_EX_MDICHILD) && (child->style & WS_VISIBLE)) {
            ActivateChild(client, child->handle);
            return;
        }
    client->activeMdiChild = nullptr;
}

} // namespace

namespace hostwin {

LRESULT CALLBACK MdiClientProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowPtr client = FindWindowObject(handle);
    if (!client) return 0;
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create && create->lpCreateParams)
            client->mdiFirstChildId =
                static_cast<const CLIENTCREATESTRUCT*>(create->lpCreateParams)->idFirstChild;
        return 0;
    }
    case WM_MDICREATE:
        return CreateChild(client, reinterpret_cast<const MDICREATESTRUCTA*>(lParam));
    case WM_MDIDESTROY: {
        HWND child = reinterpret_cast<HWND>(wParam);
        if (!IsMdiChildOf(handle, child)) return 0;
        bool wasActive = client->activeMdiChild == child;
        DestroyWindow(child);
        if (wasActive) {
            client->activeMdiChild = nullptr;
            ActivateNextChild(client);
        }
        return 0;
    }
    case WM_MDIGETACTIVE: {
        if (!IsWindow(client->activeMdiChild)) client->activeMdiChild = nullptr;
        // lParam, when given, receives whether the active child is maximised.
        if (lParam)
            *reinterpret_cast<BOOL*>(lParam) =
                client->activeMdiChild && IsZoomed(client->activeMdiChild);
        return reinterpret_cast<LRESULT>(client->activeMdiChild);
    }
    case WM_MDIACTIVATE: {
        // Activating does not show a hidden child.
        HWND child = reinterpret_cast<HWND>(wParam);
        if (IsMdiChildOf(handle, child)) ActivateChild(client, child);
        return 0;
    }
    case WM_MDIMAXIMIZE: {
        // Maximising shows the child and makes it the active one.
        HWND child = reinterpret_cast<HWND>(wParam);
        if (!IsMdiChildOf(handle, child)) return 0;
        ShowWindow(child, SW_SHOWMAXIMIZED);
        ActivateChild(client, child);
        return 0;
    }
    case WM_MDIRESTORE: {
        // Restoring shows a hidden child too; only a child opened from its
        // minimised state becomes the active one.
        HWND child = reinterpret_cast<HWND>(wParam);
        if (!IsMdiChildOf(handle, child)) return 0;
        bool wasMinimized = IsIconic(child);
        ShowWindow(child, SW_RESTORE);
        if (wasMinimized) ActivateChild(client, child);
        return 0;
    }
    default:
        return DefWindowProcA(handle, message, wParam, lParam);
    }
}

} // namespace hostwin

extern "C" {

LRESULT WINAPI DefMDIChildProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_GETMINMAXINFO && lParam) {
        // Maximised, a child's client area covers the client's: its whole
        // frame, the caption included, lies outside.
        RECT area{};
        GetClientRect(GetParent(window), &area);
        AdjustWindowRectEx(&area, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxPosition = POINT{area.left, area.top};
        info->ptMaxSize = POINT{area.right - area.left, area.bottom - area.top};
    }
    return result;
}

BOOL WINAPI TranslateMDISysAccel(HWND, LPMSG) {
    // The MDI accelerators are keystrokes; no key is ever pressed on the host
    // unless the program posts one, and none of those is a system key.
    return FALSE;
}

} // extern "C"
