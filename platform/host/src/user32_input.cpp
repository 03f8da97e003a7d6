// user32: the keyboard and the mouse as the host has them (no key is ever
// down, the cursor sits where the program last put it, at first the centre
// of the primary monitor) and the keyboard handling of dialog windows.
#include "hostwin/windows.h"

#include "machine.h"
#include "window_manager.h"

#include <algorithm>

using namespace hostwin;

namespace {

constexpr LRESULT kWantTab = 0x0002;     // DLGC_WANTTAB
constexpr LRESULT kWantAllKeys = 0x0004; // DLGC_WANTALLKEYS
constexpr UINT kGetDefaultId = WM_USER;  // DM_GETDEFID
constexpr WORD kHasDefaultId = 0x534B;   // DC_HASDEFID

POINT& Cursor() {
    static POINT cursor = [] {
        const RECT& primary = TheMachine().monitors.front();
        return POINT{primary.left + (primary.right - primary.left) / 2,
                     primary.top + (primary.bottom - primary.top) / 2};
    }();
    return cursor;
}

void CollectTabStops(const Window& parent, std::vector<WindowPtr>& out) {
    for (const WindowPtr& child : ChildrenOf(parent)) {
        if (!(child->style & WS_VISIBLE) || (child->style & WS_DISABLED)) continue;
        if (child->style & WS_TABSTOP) out.push_back(child);
        if (child->exStyle & WS_EX_CONTROLPARENT) CollectTabStops(*child, out);
    }
}

// Tab moves the focus to the next control with WS_TABSTOP, round the dialog.
void MoveToNextTabStop(const WindowPtr& dialog) {
    std::vector<WindowPtr> stops;
    CollectTabStops(*dialog, stops);
    if (stops.empty()) return;
    HWND focus = GetFocus();
    auto it = std::find_if(stops.begin(), stops.end(),
                           [&](const WindowPtr& w) { return IsSelfOrDescendant(*w, focus); });
    size_t next =
        it == stops.end() ? 0 : (static_cast<size_t>(it - stops.begin()) + 1) % stops.size();
    SetFocus(stops[next]->handle);
}

HWND ChildWithId(const Window& dialog, int id) {
    for (const WindowPtr& child : ChildrenOf(dialog))
        if (child->id == id) return child->handle;
    return nullptr;
}

void SendButtonCommand(const WindowPtr& dialog, int id) {
    SendMessageA(dialog->handle, WM_COMMAND, MAKELONG(id, 0),
                 reinterpret_cast<LPARAM>(ChildWithId(*dialog, id)));
}

} // namespace

extern "C" {

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = Cursor();
    return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    Cursor() = POINT{x, y};
    return TRUE;
}

SHORT WINAPI GetKeyState(int) {
    return 0;
}

BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG message) {
    // Any window can be run as a dialog: messages for it or its children are
    // taken, the dialog keys are handled, and the rest is dispatched here.
    WindowPtr box = FindWindowObject(dialog);
    if (!box || !message || !message->hwnd || !IsSelfOrDescendant(*box, message->hwnd))
        return FALSE;
    if (message->message == WM_KEYDOWN) {
        LRESULT code = SendMessageA(message->hwnd, WM_GETDLGCODE, message->wParam,
                                    reinterpret_cast<LPARAM>(message));
        if (message->wParam == VK_TAB && !(code & (kWantTab | kWantAllKeys))) {
            MoveToNextTabStop(box);
            return TRUE;
        }
        if (message->wParam == VK_RETURN && !(code & kWantAllKeys)) {
            LRESULT answer = SendMessageA(dialog, kGetDefaultId, 0, 0);
            SendButtonCommand(box, HIWORD(answer) == kHasDefaultId ? LOWORD(answer) : IDOK);
            return TRUE;
        }
        if (message->wParam == VK_ESCAPE && !(code & kWantAllKeys)) {
            SendButtonCommand(box, IDCANCEL);
            return TRUE;
        }
    }
    TranslateMessage(message);
    DispatchMessageA(message);
    return TRUE;
}

} // extern "C"
