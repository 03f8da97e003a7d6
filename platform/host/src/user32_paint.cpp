// user32: the update region of a window and the painting calls. The host
// keeps the bounding rectangle of what needs painting; WM_PAINT is generated
// for a shown window that has one until BeginPaint clears it.
#include "hostwin/windows.h"

#include "window_manager.h"

#include <algorithm>
#include <cstring>

using namespace hostwin;

namespace {

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

RECT Union(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT ClientRectOf(const Window& window) {
    RECT client = ClientArea(window);
    return RECT{0, 0, client.right - client.left, client.bottom - client.top};
}

} // namespace

namespace hostwin {

void InvalidateWindow(Window& window, const RECT* rect, bool erase) {
    RECT area = ClientRectOf(window);
    RECT part = rect ? Intersect(*rect, area) : area;
    if (!IsEmpty(part)) {
        window.update = window.hasUpdate ? Union(window.update, part) : part;
        window.hasUpdate = true;
        window.eraseUpdate = window.eraseUpdate || erase;
    }
    // Children share the parent's pixels unless it clips them.
    if (window.style & WS_CLIPCHILDREN) return;
    for (const WindowPtr& child : ChildrenOf(window))
        if (!IsEmpty(Intersect(child->rect, part))) InvalidateWindow(*child, nullptr, erase);
}

} // namespace hostwin

extern "C" {

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    if (!window) {
        for (const WindowPtr& top : TopLevelWindows())
            InvalidateWindow(*top, nullptr, erase != FALSE);
        return TRUE;
    }
    WindowPtr target = RequireWindow(window);
    if (!target) return FALSE;
    InvalidateWindow(*target, rect, erase != FALSE);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    WindowPtr target = RequireWindow(window);
    if (!target || !paint) return nullptr;
    std::memset(paint, 0, sizeof(*paint));
    HDC dc = GetDC(window);
    paint->hdc = dc;
    paint->rcPaint = target->hasUpdate ? target->update : RECT{0, 0, 0, 0};
    bool erase = target->eraseUpdate;
    target->hasUpdate = false;
    target->eraseUpdate = false;
    // fErase tells the window that the background still needs erasing.
    if (erase)
        paint->fErase = Send(target, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)) ? FALSE : TRUE;
    return dc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (!paint) return FALSE;
    ReleaseDC(window, paint->hdc);
    return TRUE;
}

} // extern "C"
