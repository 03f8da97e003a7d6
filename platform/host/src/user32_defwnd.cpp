// user32: DefWindowProcA, the default answers a window procedure passes on.
#include "hostwin/windows.h"

#include "codepage.h"
#include "window_manager.h"

#include <algorithm>
#include <cstring>

using namespace hostwin;

namespace {

LRESULT SystemCommand(const WindowPtr& window, WPARAM command) {
    HWND handle = window->handle;
    // The low four bits of the command are Windows' own; they are ignored.
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        ShowWindow(handle, handle == ActiveWindow() ? SW_MINIMIZE : SW_SHOWMINNOACTIVE);
        break;
    case SC_MAXIMIZE:
        ShowWindow(handle, SW_MAXIMIZE);
        break;
    case SC_RESTORE:
        if (window->style & (WS_MINIMIZE | WS_MAXIMIZE)) ShowWindow(handle, SW_RESTORE);
        break;
    case SC_CLOSE:
        Send(window, WM_CLOSE);
        break;
    default:
        break; // moving, sizing and the menus need a person at a screen
    }
    return 0;
}

// WM_GETTEXT: as many whole characters as fit before the terminating zero.
LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer) {
    if (!size || !buffer) return 0;
    char* out = reinterpret_cast<char*>(buffer);
    size_t count = 0;
    while (count < text.size()) {
        size_t step =
            IsLeadByte(CP_ACP, static_cast<BYTE>(text[count])) && count + 1 < text.size() ? 2 : 1;
        if (count + step > size - 1) break;
        count += step;
    }
    std::memcpy(out, text.data(), count);
    out[count] = 0;
    return static_cast<LRESULT>(count);
}

HBRUSH BrushOf(HBRUSH brush) {
    // A class background may name a system colour as index + 1.
    uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    if (value > 0 && value <= COLOR_INFOBK + 1)
        return GetSysColorBrush(static_cast<int>(value - 1));
    return brush;
}

LRESULT EraseBackground(const WindowPtr& window, HDC dc) {
    HBRUSH brush = BrushOf(window->windowClass->background);
    if (!brush || !dc) return 0;
    RECT client;
    GetClientRect(window->handle, &client);
    FillRect(dc, &client, brush);
    return 1;
}

LRESULT ControlColour(UINT message, HDC dc) {
    bool editLike = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(editLike ? COLOR_WINDOW : COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(editLike ? COLOR_WINDOW : COLOR_BTNFACE));
}

} // namespace

extern "C" {

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowPtr window = FindWindowObject(handle);
    if (!window) return 0;
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName))
            window->text = create->lpszName;
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_SYSCOMMAND:
        return SystemCommand(window, wParam);
    case WM_SETTEXT:
        window->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        return TRUE;
    case WM_GETTEXT:
        return CopyText(window->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window->text.size());
    case WM_SETICON: {
        // The big and the small icon are kept apart; the result is the one replaced.
        HICON icon = reinterpret_cast<HICON>(lParam);
        HICON old;
        if (wParam == ICON_BIG) {
            old = window->bigIcon;
            window->bigIcon = icon;
        } else if (wParam == ICON_SMALL || wParam == ICON_SMALL2) {
            old = window->smallIcon;
            window->smallIcon = icon;
        } else {
            return 0;
        }
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
        if (wParam == ICON_BIG) return reinterpret_cast<LRESULT>(window->bigIcon);
        if (wParam == ICON_SMALL) return reinterpret_cast<LRESULT>(window->smallIcon);
        if (wParam == ICON_SMALL2)
            return reinterpret_cast<LRESULT>(window->smallIcon ? window->smallIcon
                                                               : window->bigIcon);
        return 0;
    case WM_ERASEBKGND:
        return EraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_ICONERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(handle, &paint);
        if (dc && (window->style & WS_MINIMIZE) && window->windowClass->icon)
            DrawIcon(dc, 0, 0, window->windowClass->icon);
        EndPaint(handle, &paint);
        return 0;
    }
    case WM_NCACTIVATE:
        return TRUE;
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
        return TRUE;
    case WM_QUERYDRAGICON: {
        HICON icon = window->windowClass->icon;
        return reinterpret_cast<LRESULT>(icon ? icon : LoadIconA(nullptr, IDI_APPLICATION));
    }
    case WM_WINDOWPOSCHANGING: {
        // A new size stays within the window's tracking limits.
        auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
        if (position && !(position->flags & SWP_NOSIZE) &&
            !(window->style & (WS_MINIMIZE | WS_MAXIMIZE)) && HasTrackingLimits(window->style)) {
            MINMAXINFO limits = AskMinMaxInfo(window);
            position->cx = std::max<int>(std::min<int>(position->cx, limits.ptMaxTrackSize.x),
                                         limits.ptMinTrackSize.x);
            position->cy = std::max<int>(std::min<int>(position->cy, limits.ptMaxTrackSize.y),
                                         limits.ptMinTrackSize.y);
        }
        return 0;
    }
    case WM_WINDOWPOSCHANGED:
        if (lParam)
            SendSizeMessagesAfterChange(handle, *reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_CANCELMODE:
        if (CaptureWindow() == handle) ReleaseCapture();
        return 0;
    case WM_MOUSEACTIVATE:
        return 1; // MA_ACTIVATE
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return ControlColour(message, reinterpret_cast<HDC>(wParam));
    default:
        return 0;
    }
}

} // extern "C"
