// user32: creating and destroying windows, and the message sequences that go
// with them.
#include "hostwin/windows.h"

#include "window_manager.h"

#include <algorithm>

using namespace hostwin;

namespace {

// Styles Windows adds on its own: overlapped windows always have a caption
// and clip their siblings; framed windows get the raised window edge.
void NormaliseStyles(DWORD& style, DWORD& exStyle) {
    if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION | WS_CLIPSIBLINGS;
    if (((style & (WS_DLGFRAME | WS_THICKFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) &&
        !(exStyle & WS_EX_STATICEDGE))
        exStyle |= WS_EX_WINDOWEDGE;
    else
        exStyle &= ~static_cast<DWORD>(WS_EX_WINDOWEDGE);
}

// CW_USEDEFAULT as Windows places overlapped windows: at the top left of the
// work area with three quarters of its size; any other window gets zeros.
void ApplyDefaultPlacement(DWORD style, int& x, int& y, int& width, int& height, int& showCommand) {
    bool overlapped = !(style & (WS_CHILD | WS_POPUP));
    RECT work = WorkAreaNear(RECT{0, 0, 1, 1});
    if (x == CW_USEDEFAULT) {
        // With a default position, y may carry the show command.
        if (overlapped && y != CW_USEDEFAULT && y != 0) showCommand = y;
        x = overlapped ? work.left : 0;
        y = overlapped ? work.top : 0;
    }
    if (width == CW_USEDEFAULT) {
        width = overlapped ? (work.right - work.left) * 3 / 4 : 0;
        height = overlapped ? (work.bottom - work.top) * 3 / 4 : 0;
    }
    if (y == CW_USEDEFAULT) y = 0;
    if (height == CW_USEDEFAULT) height = 0;
}

void SendParentNotify(const WindowPtr& window, UINT event) {
    if (!(window->style & WS_CHILD) || (window->exStyle & WS_EX_NOPARENTNOTIFY)) return;
    if (WindowPtr parent = FindWindowObject(window->parent))
        if (!IsDesktop(*parent))
            Send(parent, WM_PARENTNOTIFY, MAKELONG(event, window->id),
                 reinterpret_cast<LPARAM>(window->handle));
}

// Frees a window whose creation failed, as Wine does: WM_NCDESTROY only,
// whether WM_NCCREATE or WM_CREATE refused.
void AbandonCreation(const WindowPtr& window) {
    if (window->destroyed) return;
    window->destroying = true;
    Send(window, WM_NCDESTROY);
    window->destroyed = true;
    window->windowClass->windows--;
    ForgetQueuedMessages(window->handle);
    RemoveWindow(window);
}

// WM_DESTROY goes to a window and then to its children, parents first.
void SendDestroyMessages(const WindowPtr& window) {
    window->destroying = true;
    Send(window, WM_DESTROY);
    for (const WindowPtr& child : ChildrenOf(*window))
        SendDestroyMessages(child);
}

// WM_NCDESTROY goes to the children first; then the window leaves the table.
void FreeWindowTree(const WindowPtr& window) {
    for (const WindowPtr& child : ChildrenOf(*window))
        FreeWindowTree(child);
    Send(window, WM_NCDESTROY);
    window->destroyed = true;
    window->windowClass->windows--;
    DestroySystemMenuOf(*window);
    ForgetQueuedMessages(window->handle);
    RemoveWindow(window);
}

} // namespace

extern "C" {

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    std::shared_ptr<WindowClass> windowClass = FindWindowClass(className, instance);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    WindowPtr parentWindow;
    if (parent && parent != HWND_MESSAGE) {
        parentWindow = RequireWindow(parent);
        if (!parentWindow) return nullptr;
    } else if (style & WS_CHILD) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    NormaliseStyles(style, exStyle);
    int showCommand = SW_SHOW;
    ApplyDefaultPlacement(style, x, y, width, height, showCommand);

    auto window = std::make_shared<Window>();
    window->windowClass = windowClass;
    window->threadId = GetCurrentThreadId();
    EnsureMessageQueue(); // so that other threads can post and send to the window
    window->style = style & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    window->exStyle = exStyle;
    window->procedure = windowClass->procedure;
    window->instance = instance;
    window->id = reinterpret_cast<LONG_PTR>(menu);
    window->extra.assign(static_cast<size_t>(windowClass->windowExtraBytes), 0);
    if (style & WS_CHILD) {
        window->parent = parentWindow->handle;
    } else {
        window->parent = DesktopHandle();
        // A top-level window's "parent" argument is its owner: the top-level
        // window that contains the given one.
        if (parentWindow && !IsDesktop(*parentWindow))
            window->owner = TopLevelOf(parentWindow)->handle;
    }
    window->rect = RECT{x, y, SaturatedCoordinate(int64_t{x} + std::max(width, 0)),
                        SaturatedCoordinate(int64_t{y} + std::max(height, 0))};
    window->normalRect = window->rect;
    window->needsSizeMessages = !(style & (WS_CHILD | WS_POPUP));
    windowClass->windows++;
    EnterWindow(window, (style & WS_CHILD) != 0);
    window->lastActivePopup = window->handle;

    CREATESTRUCTA create{};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parentWindow ? parentWindow->handle : nullptr;
    create.x = x;
    create.y = y;
    create.cx = width;
    create.cy = height;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    HWND handle = window->handle;
    // Sizable and overlapped windows start within their tracking limits.
    if (HasTrackingLimits(style)) {
        MINMAXINFO limits = AskMinMaxInfo(window);
        if (window->destroyed) return nullptr;
        auto bound = [](int value, LONG low, LONG high) {
            return std::max<int>(std::min<int>(value, high), low);
        };
        create.cx = bound(create.cx, limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x);
        create.cy = bound(create.cy, limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y);
        window->rect = RECT{x, y, SaturatedCoordinate(int64_t{x} + create.cx),
                            SaturatedCoordinate(int64_t{y} + create.cy)};
        window->normalRect = window->rect;
    }
    if (!Send(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        AbandonCreation(window);
        return nullptr;
    }
    if (window->destroyed) return nullptr;
    if (Send(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        AbandonCreation(window);
        return nullptr;
    }
    if (window->destroyed) return nullptr;
    if (!window->needsSizeMessages) {
        RECT client = ClientArea(*window);
        Send(window, WM_SIZE, SIZE_RESTORED,
             MAKELONG(client.right - client.left, client.bottom - client.top));
        POINT origin{SaturatedCoordinate(int64_t{window->rect.left} + client.left),
                     SaturatedCoordinate(int64_t{window->rect.top} + client.top)};
        Send(window, WM_MOVE, 0, MAKELONG(origin.x, origin.y));
    }
    SendParentNotify(window, WM_CREATE);
    if (window->destroyed) return nullptr;

    // Created minimised or maximised: the state applies before any showing,
    // and the size it gives is the window's from the start.
    if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        window->rect =
            EnterShowState(window, (style & WS_MINIMIZE) ? SIZE_MINIMIZED : SIZE_MAXIMIZED);
        showCommand = (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOWMAXIMIZED;
    }
    if (style & WS_VISIBLE) ShowWindow(handle, showCommand);
    return window->destroyed ? nullptr : handle;
}

BOOL WINAPI DestroyWindow(HWND window) {
    WindowPtr target = RequireWindow(window);
    if (!target) return FALSE;
    if (IsDesktop(*target)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (target->destroying) return TRUE;
    SendParentNotify(target, WM_DESTROY);
    if (target->destroyed) return TRUE;
    if (target->style & WS_VISIBLE)
        PlaceWindow(target, nullptr, 0, 0, 0, 0,
                    SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE,
                    false);
    if (target->destroyed) return TRUE;
    // Owned windows go first, each destroyed completely.
    if (IsTopLevel(*target)) {
        for (const WindowPtr& other : TopLevelWindows())
            if (other->owner == target->handle && !other->destroying) DestroyWindow(other->handle);
    }
    if (target->destroyed) return TRUE;
    ForgetWindowState(target);
    SendDestroyMessages(target);
    if (target->destroyed) return TRUE;
    FreeWindowTree(target);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
    return FindWindowObject(window) ? TRUE : FALSE;
}

} // extern "C"
