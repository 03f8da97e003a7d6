#include "framework/controls/control.h"

#include "framework/controls/application_link.h"
#include "framework/controls/bound_method.h"
#include "framework/controls/saturated.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/writer.h"
#include "runtime/exceptions.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr TPropInfo controlProperties[] = {
    Property<&TControl::Left, &TControl::SetLeft>("Left", &TypeInteger),
    Property<&TControl::Top, &TControl::SetTop>("Top", &TypeInteger),
    Property<&TControl::Width, &TControl::SetWidth>("Width", &TypeInteger),
    Property<&TControl::Height, &TControl::SetHeight>("Height", &TypeInteger),
};

} // namespace

constinit const TClass TControl::ClassInfo =
    MakeClass<TControl>("TControl", &TComponent::ClassInfo, controlProperties);
constinit const TClass TWinControl::ClassInfo =
    MakeClass<TWinControl>("TWinControl", &TControl::ClassInfo);
constinit const TClass TScrollingWinControl::ClassInfo =
    MakeClass<TScrollingWinControl>("TScrollingWinControl", &TWinControl::ClassInfo);
constinit const TTypeInfo TypeControlObject = ObjectType("TControl", &TControl::ClassInfo);
constinit const TTypeInfo TypeWinControlObject = ObjectType("TWinControl", &TWinControl::ClassInfo);

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

} // namespace

// --- TControl ------------------------------------------------------------------

void TControl::Create(TComponent* owner) {
    TComponent::Create(owner);
    font_ = new TFont();
    fontHeightSeen_ = font_->Height();
    font_->OnChange = BindEvent<&TControl::FontNotification, TNotifyEvent>(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    parent_ = parent;
    if (parent_) parent_->InsertControl(this);
    FollowParentFont();
}

void TControl::SetLeft(int value) {
    IncludeRescaleMarks(rmLeft);
    SetBounds(value, top_, width_, height_);
}

void TControl::SetTop(int value) {
    IncludeRescaleMarks(rmTop);
    SetBounds(left_, value, width_, height_);
}

void TControl::SetWidth(int value) {
    IncludeRescaleMarks(rmWidth);
    SetBounds(left_, top_, value, height_);
}

void TControl::SetHeight(int value) {
    IncludeRescaleMarks(rmHeight);
    SetBounds(left_, top_, width_, value);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
}

void TControl::SizeClientWidth(int width) {
    SetBounds(left_, top_, SaturatedInt(int64_t{width_} - ClientWidth() + width), height_);
}

void TControl::SizeClientHeight(int height) {
    SetBounds(left_, top_, width_, SaturatedInt(int64_t{height_} - ClientHeight() + height));
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
}

void TControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
}

void TControl::SetCaption(const std::string& caption) {
    caption_ = caption;
}

void TControl::SetFont(TFont* font) {
    if (font && font_) font_->Assign(*font);
}

void TControl::SetParentFont(bool parentFont) {
    if (parentFont == parentFont_) return;
    parentFont_ = parentFont;
    FollowParentFont();
}

void TControl::FollowParentFont() {
    if (!parentFont_ || !parent_ || !font_ || !parent_->Font()) return;
    // Taking the parent's font is no font of the control's own.
    adoptingFont_ = true;
    try {
        font_->Assign(*parent_->Font());
    } catch (...) {
        adoptingFont_ = false;
        throw;
    }
    adoptingFont_ = false;
}

void TControl::FontNotification(TObject*) {
    if (font_->Height() != fontHeightSeen_) {
        fontHeightSeen_ = font_->Height();
        IncludeRescaleMarks(rmFont);
    }
    if (!adoptingFont_) parentFont_ = false;
    FontChanged();
}

void TControl::ChangeScale(int multiplier, int divisor) {
    int left = left_, top = top_, width = width_, height = height_;
    if (rescaleMarks_ & rmLeft) left = MulDiv(left, multiplier, divisor);
    if (rescaleMarks_ & rmTop) top = MulDiv(top, multiplier, divisor);
    if (rescaleMarks_ & rmWidth) width = MulDiv(width, multiplier, divisor);
    if (rescaleMarks_ & rmHeight) height = MulDiv(height, multiplier, divisor);
    bool scaleFont = (rescaleMarks_ & rmFont) && !parentFont_ && font_;
    rescaleMarks_ = 0;
    SetBounds(left, top, width, height);
    if (scaleFont) {
        font_->SetHeight(MulDiv(font_->Height(), multiplier, divisor));
        rescaleMarks_ = 0; // the font's own change is the scaling itself
    }
}

LRESULT TControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
    TMessage record{message, wParam, lParam, 0};
    HandleMessage(record);
    return record.Result;
}

void TControl::HandleMessage(TMessage&) {}

void TControl::ApplyDescription(TReader& reader) {
    IncludeControlFlags(cfReadingDescription);
    try {
        TComponent::ApplyDescription(reader);
    } catch (...) {
        ExcludeControlFlags(cfReadingDescription);
        throw;
    }
    ExcludeControlFlags(cfReadingDescription);
}

void TControl::AttachToParent(TComponent* parent) {
    SetParent(As<TWinControl>(parent));
}

void TControl::DeclareExtraProperties(TFiler& filer) {
    TComponent::DeclareExtraProperties(filer);
    filer.AcceptCustomProperty(
        "IsControl", [this](TReader& reader) { isControl_ = reader.ReadFlagValue(); },
        [this](TWriter& writer) { writer.WriteBoolean(isControl_); }, isControl_);
}

void TControl::Destroy() {
    if (TControlApplicationLink* application = ControlApplication())
        application->ForgetControl(this);
    SetParent(nullptr);
    FreeObject(font_);
    font_ = nullptr;
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

void TWinControl::InsertControl(TControl* control) {
    if (std::find(controls_.begin(), controls_.end(), control) == controls_.end())
        controls_.push_back(control);
}

void TWinControl::RemoveControl(TControl* control) {
    std::erase(controls_, control);
}

void TWinControl::ScaleControls(int multiplier, int divisor) {
    for (TControl* control : controls_)
        control->ChangeScale(multiplier, divisor);
}

void TWinControl::ChangeScale(int multiplier, int divisor) {
    TControl::ChangeScale(multiplier, divisor);
    ScaleControls(multiplier, divisor);
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

void TWinControl::FrameStyles(DWORD& style, DWORD& exStyle) {
    TWindowParams params;
    FillWindowParams(params);
    style = params.Style;
    exStyle = params.ExStyle;
}

SIZE TWinControl::FrameExtent() {
    if (window_) {
        RECT window{}, client{};
        GetWindowRect(window_, &window);
        GetClientRect(window_, &client);
        return SIZE{SaturatedInt(int64_t{window.right} - window.left - client.right),
                    SaturatedInt(int64_t{window.bottom} - window.top - client.bottom)};
    }
    DWORD style = 0, exStyle = 0;
    FrameStyles(style, exStyle);
    // A window that is neither a popup nor a child always has a caption.
    if (!(style & (WS_POPUP | WS_CHILD))) style |= WS_CAPTION;
    RECT rect{0, 0, 0, 0};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int TWinControl::ClientWidth() {
    return SaturatedInt(int64_t{Width()} - FrameExtent().cx);
}

int TWinControl::ClientHeight() {
    return SaturatedInt(int64_t{Height()} - FrameExtent().cy);
}

void TWinControl::BuildWindow() {
    TWindowParams params;
    FillWindowParams(params);
    defaultProc_ =
        params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : &DefWindowProcA;
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
    if (Font()) SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    // Windows may have placed or sized the window otherwise (default
    // placement, tracking limits).
    ReadBoundsFromWindow();
}

void TWinControl::ReadBoundsFromWindow() {
    if (!window_ || IsIconic(window_)) return;
    RECT rect{};
    GetWindowRect(window_, &rect);
    POINT topLeft{rect.left, rect.top};
    if ((GetWindowLongA(window_, GWL_STYLE) & WS_CHILD) && GetParent(window_))
        ScreenToClient(GetParent(window_), &topLeft);
    TControl::SetBounds(topLeft.x, topLeft.y, SaturatedInt(int64_t{rect.right} - rect.left),
                        SaturatedInt(int64_t{rect.bottom} - rect.top));
}

void TWinControl::OpenWindowHandle(const TWindowParams& params) {
    HWND window =
        CreateWindowExA(params.ExStyle, params.ClassName.c_str(), params.Caption.c_str(),
                        params.Style, params.X, params.Y, params.Width, params.Height, params.Owner,
                        nullptr, params.WindowClass.hInstance, params.Param);
    if (window) AdoptWindow(window);
}

void TWinControl::AdoptWindow(HWND window) {
    // Listed first: when listing fails (no memory) the control stays without
    // a window and the next message may adopt it again.
    ControlWindows()[window] = this;
    window_ = window;
}

void TWinControl::ForgetWindow() {
    if (window_) ControlWindows().erase(window_);
    window_ = nullptr;
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
    message.Result =
        CallWindowProcA(defaultProc_, window_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::HandleMessage(TMessage& message) {
    if (!window_) return;
    HWND window = window_;
    if (message.Msg == WM_ERASEBKGND) {
        EraseBackground(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    }
    DefaultHandler(message);
    if (message.Msg == WM_WINDOWPOSCHANGED) ReadBoundsFromWindow();
    if (message.Msg == WM_NCDESTROY) {
        ControlWindows().erase(window);
        window_ = nullptr;
    }
}

void TWinControl::EraseBackground(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    // The window class has no background brush: the control paints its own
    // colour. A system colour (0x80000000 plus the index) has a brush of the
    // system's that is never deleted; any other colour gets one for the fill.
    const auto color = static_cast<uint32_t>(Color());
    if (color & 0x80000000u) {
        FillRect(dc, &client, GetSysColorBrush(static_cast<int>(color & 0xFF)));
        return;
    }
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color & 0x00FFFFFF));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

void TWinControl::VisibleChanged() {
    if (window_) ShowWindow(window_, Visible() ? SW_SHOW : SW_HIDE);
}

void TWinControl::FontChanged() {
    if (window_)
        SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
    // Controls that show their parent's font follow it.
    for (TControl* control : controls_)
        control->FollowParentFont();
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
    // The controls placed here stay with their owner; they lose their parent.
    while (!controls_.empty())
        controls_.back()->SetParent(nullptr);
    if (window_) {
        try {
            DropWindowHandle();
        } catch (...) {
            // The control goes either way; a window that cannot be destroyed
            // is forgotten so that no message reaches freed memory.
            ForgetWindow();
        }
    }
    TControl::Destroy();
}

// No exception may leave it: on 32-bit Windows one cannot unwind through the
// system's frames and would end the process. The control's own handling
// goes to the application object; what fails around it (adopting the window
// while it is being made) answers 0, which for WM_NCCREATE fails the
// creation and so reaches BuildWindow as an error.
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) try {
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
} catch (...) {
    return 0;
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
    // WindowFromPoint stops above a disabled child window: go on down through
    // the visible children under the point, disabled ones included.
    HWND window = WindowFromPoint(point);
    while (window) {
        POINT local = point;
        ScreenToClient(window, &local);
        HWND child = ChildWindowFromPointEx(window, local, CWP_SKIPINVISIBLE);
        if (!child || child == window) break;
        window = child;
    }
    // A window of another kind inside a control counts as the control; the
    // climb stays within child windows (a popup's GetParent is its owner).
    TWinControl* control = FindControl(window);
    while (window && !control && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
        window = GetParent(window);
        control = FindControl(window);
    }
    return control && !control->IsDesigning() ? control : nullptr;
}

// --- The application link --------------------------------------------------------

namespace {
TControlApplicationLink* linkedApplication = nullptr;
}

TControlApplicationLink* ControlApplication() {
    return linkedApplication;
}

void SetControlApplication(TControlApplicationLink* application) {
    linkedApplication = application;
}

void RouteBoundaryException(TObject* sender) {
    if (linkedApplication) {
        try {
            linkedApplication->RouteException(sender);
        } catch (...) {
            // Showing the exception failed too; nothing may leave the boundary.
        }
    }
}
