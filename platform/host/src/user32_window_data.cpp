// user32: a window's values (GetWindowLongA and its kin) and its text.
#include "hostwin/windows.h"

#include "window_manager.h"

#include <cstring>

using namespace hostwin;

namespace {

// Replaces a style word, telling the window before and after as Windows does.
LONG_PTR ChangeStyle(const WindowPtr& window, int index, DWORD value) {
    DWORD& field = index == GWL_STYLE ? window->style : window->exStyle;
    DWORD old = field;
    // The topmost band is changed by SetWindowPos only.
    if (index == GWL_EXSTYLE)
        value = (value & ~static_cast<DWORD>(WS_EX_TOPMOST)) | (old & WS_EX_TOPMOST);
    STYLESTRUCT change{old, value};
    Send(window, WM_STYLECHANGING, static_cast<WPARAM>(static_cast<LONG_PTR>(index)),
         reinterpret_cast<LPARAM>(&change));
    if (window->destroyed) return static_cast<LONG>(old);
    value = change.styleNew;
    if (index == GWL_STYLE && ((old ^ value) & WS_VISIBLE))
        SetVisibleStyle(*window, (value & WS_VISIBLE) != 0);
    field = value;
    change.styleOld = old;
    Send(window, WM_STYLECHANGED, static_cast<WPARAM>(static_cast<LONG_PTR>(index)),
         reinterpret_cast<LPARAM>(&change));
    return static_cast<LONG>(old);
}

// Reads (set == null) or replaces one window value; `size` is the width of
// the value for the extra bytes (a LONG or a LONG_PTR).
LONG_PTR WindowValue(HWND handle, int index, const LONG_PTR* set, size_t size) {
    WindowPtr window = RequireWindow(handle);
    if (!window) return 0;
    if (IsDesktop(*window) && set) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    Window& w = *window;
    if (index >= 0) {
        if (static_cast<size_t>(index) + size > w.extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG_PTR old = 0;
        if (size == sizeof(LONG)) {
            LONG narrow = 0;
            std::memcpy(&narrow, w.extra.data() + index, sizeof(narrow));
            old = narrow;
            if (set) {
                narrow = static_cast<LONG>(*set);
                std::memcpy(w.extra.data() + index, &narrow, sizeof(narrow));
            }
        } else {
            std::memcpy(&old, w.extra.data() + index, sizeof(old));
            if (set) std::memcpy(w.extra.data() + index, set, sizeof(*set));
        }
        return old;
    }
    switch (index) {
    case GWLP_WNDPROC: {
        LONG_PTR old = reinterpret_cast<LONG_PTR>(w.procedure);
        if (set) w.procedure = reinterpret_cast<WNDPROC>(*set);
        return old;
    }
    case GWLP_HINSTANCE: {
        LONG_PTR old = reinterpret_cast<LONG_PTR>(w.instance);
        if (set) w.instance = reinterpret_cast<HINSTANCE>(*set);
        return old;
    }
    case GWLP_ID: {
        LONG_PTR old = w.id;
        if (set) w.id = *set;
        return old;
    }
    case GWLP_USERDATA: {
        LONG_PTR old = w.userData;
        if (set) w.userData = *set;
        return old;
    }
    case GWLP_HWNDPARENT: {
        // The parent of a child, the owner of a top-level window.
        LONG_PTR old = reinterpret_cast<LONG_PTR>((w.style & WS_CHILD) ? w.parent : w.owner);
        if (set) {
            HWND value = reinterpret_cast<HWND>(*set);
            if (w.style & WS_CHILD) {
                SetParent(w.handle, value);
            } else {
                WindowPtr owner = value ? FindWindowObject(value) : nullptr;
                WindowPtr root = owner ? TopLevelOf(owner) : nullptr;
                w.owner = root && root != window ? root->handle : nullptr;
            }
        }
        return old;
    }
    case GWL_STYLE:
    case GWL_EXSTYLE:
        if (set) return ChangeStyle(window, index, static_cast<DWORD>(*set));
        return static_cast<LONG>(index == GWL_STYLE ? w.style : w.exStyle);
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

} // namespace

extern "C" {

LONG WINAPI GetWindowLongA(HWND window, int index) {
    return static_cast<LONG>(WindowValue(window, index, nullptr, sizeof(LONG)));
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
    LONG_PTR wide = value;
    return static_cast<LONG>(WindowValue(window, index, &wide, sizeof(LONG)));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
    return WindowValue(window, index, nullptr, sizeof(LONG_PTR));
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    return WindowValue(window, index, &value, sizeof(LONG_PTR));
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    WindowPtr target = RequireWindow(window);
    if (!target) return FALSE;
    return Send(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int size) {
    WindowPtr target = RequireWindow(window);
    if (!target || !buffer || size <= 0) return 0;
    // A window of this process answers WM_GETTEXT itself.
    buffer[0] = 0;
    return static_cast<int>(
        Send(target, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthA(HWND window) {
    WindowPtr target = RequireWindow(window);
    if (!target) return 0;
    return static_cast<int>(Send(target, WM_GETTEXTLENGTH));
}

} // extern "C"
