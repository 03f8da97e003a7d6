// user32: the multiple-document client window ("MDICLIENT") and the default
// procedures of MDI frames and children, as far as creating and destroying
// child windows; everything else goes on to DefWindowProcA.
#include "hostwin/windows.h"

#include "window_manager.h"

using namespace hostwin;

namespace {

constexpr DWORD kAllChildStyles = 0x0001;  // MDIS_ALLCHILDSTYLES

LRESULT CreateChild(const WindowPtr& client, const MDICREATESTRUCTA* create) {
    if (!create) return 0;
    DWORD style = create->style;
    if (!(client->style & kAllChildStyles)) {
        // Without MDIS_ALLCHILDSTYLES a child takes only a few styles of its
        // own and always gets the frame of an overlapped window.
        style &= WS_MINIMIZE | WS_MAXIMIZE | WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN | WS_DISABLED;
        style |= WS_VISIBLE | WS_OVERLAPPEDWINDOW;
    }
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    int count = 0;
    for (const WindowPtr& child : ChildrenOf(*client))
        if (child->exStyle & WS_EX_MDICHILD) ++count;
    auto zero = [](int value) { return value == CW_USEDEFAULT ? 0 : value; };
    HWND child = CreateWindowExA(WS_EX_MDICHILD, create->szClass, create->szTitle, style, zero(create->x),
                                 zero(create->y), zero(create->cx), zero(create->cy), client->handle,
                                 reinterpret_cast<HMENU>(static_cast<uintptr_t>(client->mdiFirstChildId + count)),
                                 static_cast<HINSTANCE>(create->hOwner), const_cast<MDICREATESTRUCTA*>(create));
    if (child) client->activeMdiChild = child;
    return reinterpret_cast<LRESULT>(child);
}

}  // namespace

namespace hostwin {

LRESULT CALLBACK MdiClientProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowPtr client = FindWindowObject(handle);
    if (!client) return 0;
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create && create->lpCreateParams)
            client->mdiFirstChildId = static_cast<const CLIENTCREATESTRUCT*>(create->lpCreateParams)->idFirstChild;
        return 0;
    }
    case WM_MDICREATE: return CreateChild(client, reinterpret_cast<const MDICREATESTRUCTA*>(lParam));
    case WM_MDIDESTROY: {
        HWND child = reinterpret_cast<HWND>(wParam);
        if (IsChild(handle, child)) DestroyWindow(child);
        if (client->activeMdiChild == child) client->activeMdiChild = nullptr;
        return 0;
    }
    case WM_MDIGETACTIVE:
        if (!IsWindow(client->activeMdiChild)) client->activeMdiChild = nullptr;
        return reinterpret_cast<LRESULT>(client->activeMdiChild);
    case WM_MDIACTIVATE:
        if (IsChild(handle, reinterpret_cast<HWND>(wParam))) client->activeMdiChild = reinterpret_cast<HWND>(wParam);
        return 0;
    default: return DefWindowProcA(handle, message, wParam, lParam);
    }
}

}  // namespace hostwin

extern "C" {

LRESULT WINAPI DefMDIChildProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT WINAPI DefFrameProcA(HWND window, HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL WINAPI TranslateMDISysAccel(HWND, LPMSG) {
    // The MDI accelerators are keystrokes; no key is ever pressed on the host
    // unless the program posts one, and none of those is a system key.
    return FALSE;
}

}  // extern "C"
