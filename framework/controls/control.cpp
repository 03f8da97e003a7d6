#include "framework/controls/control.h"

#include "framework/controls/application_link.h"
#include "runtime/exceptions.h"

#include <unordered_map>

constinit const TClass TControl::ClassInfo = MakeClass<TControl>("TControl", &TComponent::ClassInfo);
constinit const TClass TWinControl::ClassInfo =
    MakeClass<TWinControl>("TWinControl", &TControl::ClassInfo);
constinit const TClass TScrollingWinControl::ClassInfo =
    MakeClass<TScrollingWinControl>("TScrollingWinControl", &TWinControl::ClassInfo);

bool FocusNotificationsEnabled = true;

namespace {

// The windows of framework controls. Everything runs on the main thread.
std::unordered_map<HWND, TWinControl*>& ControlWindows() {
    static std::unordered_map<HWND, TWinControl*> windows;
    return windows;
}

// The control whose window is being made: its first messages arrive before
// CreateWindowExA returns the handle.
TWinControl* controlInCreation = nullptr;

}  // namespace

// --- TControl ------------------------------------------------------------------

void TControl::SetParent(TWinControl* parent) { parent_ = parent; }

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
}

void TControl::SetEnabled(bool enabled) { enabled_ = enabled; }

void TControl::SetCaption(const std::string& caption) { caption_ = caption; }

LRESULT TControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
    TMessage record{message, wParam, lParam, 0};
    HandleMessage(record);
    return record.Result;
}

void TControl::HandleMessage(TMessage&) {}

void TControl::Destroy() {
    if (TControlApplicationLink* application = ControlApplication()) application->ForgetControl(this);
    parent_ = nullptr;
    TComponent::Destroy();
}

std::string LongHintOf(const std::string& hint) {
    size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

// --- TWinControl ---------------------------------------------------------------

HWND TWinControl::Handle() {
    HandleNeeded();
    return window_;
}

void TWinControl::HandleNeeded() {
    if (!window_) BuildWindow();
}

void TWinControl::DestroyHandle() {
    if (window_) DropWindowHandle();
}

void TWinControl::FillWindowParams(TWindowParams& params) {
    params.Caption = Caption();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (Parent())
        params.Owner = Parent()->Handle();
    else
        params.Owner = parentWindow_;
    params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    params.WindowClass.lpfnWndProc = &DefWindowProcA;
    params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    params.WindowClass.hInstance = GetModuleHandleA(nullptr);
    params.ClassName = ClassName();
}

void TWinControl::BuildWindow() {
    TWindowParams params;
    FillWindowParams(params);
    defaultProc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : &DefWindowProcA;
    WNDCLASSA registered{};
    if (!GetClassInfoA(params.WindowClass.hInstance, params.ClassName.c_str(), &registered)) {
        WNDCLASSA windowClass = params.WindowClass;
        windowClass.lpfnWndProc = &ControlWindowProc;
        windowClass.lpszClassName = params.ClassName.c_str();
        if (!RegisterClassA(&windowClass)) RaiseLastWin32Error();
    }
    TWinControl* outer = controlInCreation;
    controlInCreation = this;
    try {
        OpenWindowHandle(params);
    } catch (...) {
        controlInCreation = outer;
        throw;
    }
    controlInCreation = outer;
    if (!window_) RaiseLastWin32Error();
}

void TWinControl::OpenWindowHandle(const TWindowParams& params) {
    HWND window = CreateWindowExA(params.ExStyle, params.ClassName.c_str(), params.Caption.c_str(),
                                  params.Style, params.X, params.Y, params.Width, params.Height,
                                  params.Owner, nullptr, params.WindowClass.hInstance, params.Param);
    if (window) AdoptWindow(window);
}

void TWinControl::AdoptWindow(HWND window) {
    window_ = window;
    ControlWindows()[window] = this;
}

void TWinControl::DropWindowHandle() {
    HWND window = window_;
    if (!DestroyWindow(window)) RaiseLastWin32Error();
    // WM_NCDESTROY has forgotten the window by now; a window destroyed without
    // reaching our procedure is forgotten here.
    ControlWindows().erase(window);
    window_ = nullptr;
}

void TWinControl::DefaultHandler(TMessage& message) {
    message.Result = CallWindowProcA(defaultProc_, window_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::HandleMessage(TMessage& message) {
    if (!window_) return;
    HWND window = window_;
    DefaultHandler(message);
    if (message.Msg == WM_NCDESTROY) {
        ControlWindows().erase(window);
        window_ = nullptr;
    }
}

void TWinControl::VisibleChanged() {
    if (window_) ShowWindow(window_, Visible() ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    if (window_)
        SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetEnabled(bool enabled) {
    TControl::SetEnabled(enabled);
    if (window_) EnableWindow(window_, enabled);
}

void TWinControl::SetCaption(const std::string& caption) {
    TControl::SetCaption(caption);
    if (window_) SetWindowTextA(window_, caption.c_str());
}

void TWinControl::Destroy() {
    if (window_) {
        try {
            DropWindowHandle();
        } catch (...) {
            // The control goes either way; a window that cannot be destroyed
            // is forgotten so that no message reaches freed memory.
            ControlWindows().erase(window_);
            window_ = nullptr;
        }
    }
    TControl::Destroy();
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TWinControl* control = FindControl(window);
    if (!control && controlInCreation && !controlInCreation->window_) {
        control = controlInCreation;
        control->AdoptWindow(window);
    }
    if (!control) return DefWindowProcA(window, message, wParam, lParam);
    TMessage record{message, wParam, lParam, 0};
    try {
        control->HandleMessage(record);
    } catch (...) {
        RouteBoundaryException(control);
    }
    return record.Result;
}

TWinControl* FindControl(HWND window) {
    if (!window) return nullptr;
    auto it = ControlWindows().find(window);
    return it == ControlWindows().end() ? nullptr : it->second;
}

TWinControl* FindEnclosingControl(HWND window) {
    for (HWND w = window; w; w = GetParent(w))
        if (TWinControl* control = FindControl(w)) return control;
    return nullptr;
}

TControl* FindControlAtPoint(POINT point) {
    TWinControl* control = FindControl(WindowFromPoint(point));
    return control && !control->IsDesigning() ? control : nullptr;
}

// --- The application link --------------------------------------------------------

namespace {
TControlApplicationLink* linkedApplication = nullptr;
}

TControlApplicationLink* ControlApplication() { return linkedApplication; }

void SetControlApplication(TControlApplicationLink* application) { linkedApplication = application; }

void RouteBoundaryException(TObject* sender) {
    if (linkedApplication) {
        try {
            linkedApplication->RouteException(sender);
        } catch (...) {
            // Showing the exception failed too; nothing may leave the boundary.
        }
    }
}
