// user32: window rectangles, the non-client frame and coordinate mapping.
#include "hostwin/windows.h"

#include "window_manager.h"

using namespace hostwin;

namespace hostwin {

RECT FrameInsets(DWORD style, DWORD exStyle, bool menu) {
    // The outer frame as Wine computes it with the default metrics: a
    // two-pixel edge for framed windows, the sizing border of a thick frame,
    // one more pixel for a border or dialog frame; then the client edge,
    // the caption and the menu bar.
    int adjust = 0;
    if ((exStyle & (WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) == WS_EX_STATICEDGE)
        adjust = 1;
    else if ((exStyle & WS_EX_DLGMODALFRAME) || (style & (WS_THICKFRAME | WS_DLGFRAME)))
        adjust = 2;
    if (style & WS_THICKFRAME)
        adjust += GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CXDLGFRAME);
    if ((style & (WS_BORDER | WS_DLGFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) adjust++;
    if (exStyle & WS_EX_CLIENTEDGE) adjust += 2;
    RECT insets{adjust, adjust, adjust, adjust};
    if ((style & WS_CAPTION) == WS_CAPTION)
        insets.top +=
            GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    if (menu) insets.top += GetSystemMetrics(SM_CYMENU);
    return insets;
}

RECT ClientArea(const Window& window) {
    if (window.style & WS_MINIMIZE) return RECT{0, 0, 0, 0};
    bool menu = !(window.style & WS_CHILD) && window.id != 0 && !IsDesktop(window);
    RECT insets =
        IsDesktop(window) ? RECT{0, 0, 0, 0} : FrameInsets(window.style, window.exStyle, menu);
    int64_t width = int64_t{window.rect.right} - window.rect.left;
    int64_t height = int64_t{window.rect.bottom} - window.rect.top;
    RECT client{insets.left, insets.top, SaturatedCoordinate(width - insets.right),
                SaturatedCoordinate(height - insets.bottom)};
    if (client.right < client.left) client.right = client.left;
    if (client.bottom < client.top) client.bottom = client.top;
    return client;
}

POINT ClientOrigin(const Window& window) {
    if (IsDesktop(window)) return POINT{window.rect.left, window.rect.top};
    POINT origin{0, 0};
    if (WindowPtr parent = FindWindowObject(window.parent))
        if (!IsDesktop(*parent)) origin = ClientOrigin(*parent);
    RECT client = ClientArea(window);
    return POINT{SaturatedCoordinate(int64_t{origin.x} + window.rect.left + client.left),
                 SaturatedCoordinate(int64_t{origin.y} + window.rect.top + client.top)};
}

RECT ScreenRect(const Window& window) {
    if (IsDesktop(window)) return window.rect;
    POINT origin{0, 0};
    if (WindowPtr parent = FindWindowObject(window.parent))
        if (!IsDesktop(*parent)) origin = ClientOrigin(*parent);
    return RECT{SaturatedCoordinate(int64_t{origin.x} + window.rect.left),
                SaturatedCoordinate(int64_t{origin.y} + window.rect.top),
                SaturatedCoordinate(int64_t{origin.x} + window.rect.right),
                SaturatedCoordinate(int64_t{origin.y} + window.rect.bottom)};
}

} // namespace hostwin

namespace {

// Moves a point by the window's client origin: +1 into screen coordinates,
// -1 out of them.
BOOL MapPoint(HWND window, LPPOINT point, int direction) {
    WindowPtr target = RequireWindow(window);
    if (!target || !point) return FALSE;
    POINT origin = ClientOrigin(*target);
    point->x += direction * origin.x;
    point->y += direction * origin.y;
    return TRUE;
}

} // namespace

extern "C" {

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    RECT insets = FrameInsets(style, exStyle, menu != FALSE);
    rect->left -= insets.left;
    rect->top -= insets.top;
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    WindowPtr target = RequireWindow(window);
    if (!target || !rect) return FALSE;
    *rect = ScreenRect(*target);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    WindowPtr target = RequireWindow(window);
    if (!target || !rect) return FALSE;
    RECT client = ClientArea(*target);
    *rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    return MapPoint(window, point, 1);
}

BOOL WINAPI ScreenToClient(HWND window, LPPOINT point) {
    return MapPoint(window, point, -1);
}

BOOL WINAPI IsWindowVisible(HWND window) {
    WindowPtr target = FindWindowObject(window);
    return target && IsShown(*target) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND window) {
    WindowPtr target = FindWindowObject(window);
    return target && (target->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI IsZoomed(HWND window) {
    WindowPtr target = FindWindowObject(window);
    return target && (target->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

} // extern "C"
