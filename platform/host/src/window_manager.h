// The host window manager: window classes, the window tree with its z-order,
// activation and focus state, and the helpers the user32 sources share.
//
// Windows belong to the thread that creates them and are changed only by
// it; other threads may post and send messages to them (a sent message is
// handled on the window's thread) and ask IsWindow. Every window
// is held by a shared pointer, so code that sends a message keeps the object
// alive while the window procedure runs and checks `destroyed` afterwards,
// as Windows code checks IsWindow.
#pragma once

#include "hostwin/windows.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hostwin {

// A distinct non-zero value for a user or GDI object handle (windows, menus,
// icons, device contexts, fonts, brushes); values are never reused.
uintptr_t NewObjectHandle();

struct WindowClass {
    ATOM atom = 0;
    std::string name; // as registered
    UINT style = 0;
    WNDPROC procedure = nullptr;
    int classExtraBytes = 0;
    int windowExtraBytes = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    LPCSTR menuName = nullptr; // points into menuNameText, or an integer resource
    std::string menuNameText;
    std::vector<BYTE> extra;
    bool system = false; // predefined by the host ("MDICLIENT")
    int windows = 0;     // live windows of the class
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> windowClass;
    DWORD threadId = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    LONG_PTR id = 0; // child identifier, or the menu handle of a top-level window
    LONG_PTR userData = 0;
    std::vector<BYTE> extra;
    std::string text;
    HWND parent = nullptr;      // the desktop for top-level windows
    HWND owner = nullptr;       // top-level windows only
    std::vector<HWND> children; // z-order, topmost first
    RECT rect{};                // window rectangle in the parent's client coordinates
    RECT normalRect{};          // the restored rectangle while minimised or maximised
    bool restoreToMaximized = false;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    HMENU systemMenu = nullptr;
    HWND lastActivePopup = nullptr;
    bool needsSizeMessages = false; // overlapped windows get WM_SIZE/WM_MOVE when first shown
    bool hiddenByOwner = false;     // hidden by ShowOwnedPopups(owner, FALSE)
    bool hasUpdate = false;         // part of the client area needs painting
    bool eraseUpdate = false;       // ...and its background erasing
    RECT update{};                  // bounding box of the update region, client coordinates
    bool destroying = false;
    bool destroyed = false;
    HWND activeMdiChild = nullptr; // MDI client windows only
    UINT mdiFirstChildId = 0;
};

using WindowPtr = std::shared_ptr<Window>;

// --- The window table -----------------------------------------------------

// The window of a handle, or null (also for destroyed windows).
WindowPtr FindWindowObject(HWND window);
// As FindWindowObject, setting ERROR_INVALID_WINDOW_HANDLE when there is none.
WindowPtr RequireWindow(HWND window);
HWND DesktopHandle();
WindowPtr Desktop();
bool IsDesktop(const Window& window);
bool IsTopLevel(const Window& window);
// Enters a new window in the table (under its parent's children, at the
// given z-order position) and gives it its handle.
void EnterWindow(const WindowPtr& window, bool atBottom);
// Removes a destroyed window from the table and from its parent's children.
void RemoveWindow(const WindowPtr& window);
// Every live top-level window, in z-order.
std::vector<WindowPtr> TopLevelWindows();
// The live children of a window, in z-order.
std::vector<WindowPtr> ChildrenOf(const Window& window);
// True when `window` is `ancestor` or lies below it in the window tree.
bool IsSelfOrDescendant(const Window& ancestor, HWND window);
// The top-level window that contains a window (itself when top-level).
WindowPtr TopLevelOf(const WindowPtr& window);
// True when the window and all its ancestors have WS_VISIBLE.
bool IsShown(const Window& window);

// --- Window classes ---------------------------------------------------------

// The class a window of `instance` is created with: a local class of that
// instance, else a global or system class. Null when there is none.
std::shared_ptr<WindowClass> FindWindowClass(LPCSTR name, HINSTANCE instance);
std::string ClassNameOf(const Window& window);

// --- Messages ---------------------------------------------------------------

// Calls the window procedure (SendMessageA); 0 for a destroyed window.
LRESULT Send(const WindowPtr& window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Posts a message to the queue of the window's thread (null: this thread).
void PostToQueue(DWORD threadId, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the running thread's message queue, as creating its first window does.
void EnsureMessageQueue();
// Discards the posted messages and timers of a window that is being destroyed.
void ForgetQueuedMessages(HWND window);
// The MDI client window procedure.
LRESULT CALLBACK MdiClientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Geometry and showing ---------------------------------------------------

// A sum or difference of coordinates, worked out without overflow and held
// at the range of LONG: CreateWindowExA keeps any position it is given, so
// the edges of a window far out may lie beyond it (Windows keeps them there).
inline LONG SaturatedCoordinate(int64_t value) {
    return static_cast<LONG>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The non-client frame of a window style: how far the window rectangle
// reaches beyond the client area on each side.
RECT FrameInsets(DWORD style, DWORD exStyle, bool menu);
// The client rectangle in window coordinates (left/top are the frame insets).
RECT ClientArea(const Window& window);
// The screen position of the window's client origin.
POINT ClientOrigin(const Window& window);
// The window rectangle in screen coordinates.
RECT ScreenRect(const Window& window);
// SetWindowPos on a window object. `stateChanged` (minimised, maximised or
// restored) makes WM_WINDOWPOSCHANGED report a new client size and position.
bool PlaceWindow(const WindowPtr& window, HWND insertAfter, int x, int y, int width, int height,
                 UINT flags, bool stateChanged);
// DefWindowProcA's answer to WM_WINDOWPOSCHANGED: WM_MOVE and WM_SIZE for
// what changed.
void SendSizeMessagesAfterChange(HWND window, const WINDOWPOS& position);
// True for the windows whose size the tracking limits bound: framed for
// sizing, or overlapped.
bool HasTrackingLimits(DWORD style);
// The window's size limits and maximised placement: the defaults, then what
// the window answers to WM_GETMINMAXINFO.
MINMAXINFO AskMinMaxInfo(const WindowPtr& window);
// Moves a window into a show state (SIZE_RESTORED, SIZE_MINIMIZED or
// SIZE_MAXIMIZED): sets WS_MINIMIZE/WS_MAXIMIZE, keeps the restored rectangle
// and returns the rectangle of the new state. Sends no messages.
RECT EnterShowState(const WindowPtr& window, UINT state);
// Brings a top-level window (with its owned windows) to the top of its band
// in the z-order, without messages.
void RaiseWindow(const WindowPtr& window);
// Changes WS_VISIBLE, writing the journal event of a top-level window.
void SetVisibleStyle(Window& window, bool visible);
// The work area of the monitor that holds most of a rectangle.
RECT WorkAreaNear(const RECT& rect);
// Marks the client area for painting (null rectangle: all of it); children too
// when the window does not clip them.
void InvalidateWindow(Window& window, const RECT* rect, bool erase);

// --- Activation and focus ---------------------------------------------------

HWND ActiveWindow();
HWND FocusWindow();
HWND CaptureWindow();
// Makes a top-level window the active window (null: none), sending the
// activation messages; returns the previous active window.
HWND Activate(HWND window);
// Activates another window after `leaving` is hidden, minimised or destroyed.
void ActivateOtherWindow(const WindowPtr& leaving);
HWND ChangeFocus(HWND window);
// Forgets focus, activation and capture inside a window that is being destroyed.
void ForgetWindowState(const WindowPtr& window);

// --- Menus, icons -----------------------------------------------------------

void DestroySystemMenuOf(Window& window);
// A shared system icon (IDI_APPLICATION ...).
HICON SystemIcon(LPCSTR name);

// --- The nobody-at-the-terminal rule ----------------------------------------

// True when a person is at the terminal (standard input is a terminal).
bool PersonAtTerminal();
// Reads one line typed at the terminal; false at the end of input.
bool ReadTerminalLine(std::string& line);
// Called when the thread would wait with an empty queue and nobody can
// answer: closes the window a user would close, or ends the process with
// status 3 when there is none or it keeps refusing.
void PlayTheUser();

} // namespace hostwin
