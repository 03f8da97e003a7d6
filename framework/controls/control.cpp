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
    FFont = new TFont();
    FFontHeightSeen = FFont->Height();
    FFont->OnChange = BindEvent<&TControl::FontNotification, TNotifyEvent>(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (FParent) FParent->RemoveControl(this);
    FParent = parent;
    if (FParent) FParent->InsertControl(this);
    FollowParentFont();
}

void TControl::SetLeft(int value) {
    IncludeRescaleMarks(rmLeft);
    SetBounds(value, FTop, FWidth, FHeight);
}

void TControl::SetTop(int value) {
    IncludeRescaleMarks(rmTop);
    SetBounds(FLeft, value, FWidth, FHeight);
}

void TControl::SetWidth(int value) {
    IncludeRescaleMarks(rmWidth);
    SetBounds(FLeft, FTop, value, FHeight);
}

void TControl::SetHeight(int value) {
    IncludeRescaleMarks(rmHeight);
    SetBounds(FLeft, FTop, FWidth, value);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    BoundsChanged();
}

void TControl::SizeClientWidth(int width) {
    SetBounds(FLeft, FTop, SaturatedInt(int64_t{FWidth} - ClientWidth() + width), FHeight);
}

void TControl::SizeClientHeight(int height) {
    SetBounds(FLeft, FTop, FWidth, SaturatedInt(int64_t{FHeight} - ClientHeight() + height));
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    VisibleChanged();
}

void TControl::SetEnabled(bool enabled) {
    FEnabled = enabled;
}

void TControl::SetCaption(const std::string& caption) {
    FCaption = caption;
}

void TControl::SetFont(TFont* font) {
    if (font && FFont) FFont->Assign(*font);
}

void TControl::SetParentFont(bool parentFont) {
    if (parentFont == FParentFont) return;
    FParentFont = parentFont;
    FollowParentFont();
}

void TControl::FollowParentFont() {
    if (!FParentFont || !FParent || !FFont || !FParent->Font()) return;
    // Taking the parent's font is no font of the control's own.
    FAdoptingFont = true;
    try {
        FFont->Assign(*FParent->Font());
    } catch (...) {
        FAdoptingFont = false;
        throw;
    }
    FAdoptingFont = false;
}

void TControl::FontNotification(TObject*) {
    if (FFont->Height() != FFontHeightSeen) {
        FFontHeightSeen = FFont->Height();
        IncludeRescaleMarks(rmFont);
    }
    if (!FAdoptingFont) FParentFont = false;
    FontChanged();
}

void TControl::ChangeScale(int multiplier, int divisor) {
    int left = FLeft, top = FTop, width = FWidth, height = FHeight;
    if (FRescaleMarks & rmLeft) left = MulDiv(left, multiplier, divisor);
    if (FRescaleMarks & rmTop) top = MulDiv(top, multiplier, divisor);
    if (FRescaleMarks & rmWidth) width = MulDiv(width, multiplier, divisor);
    if (FRescaleMarks & rmHeight) height = MulDiv(height, multiplier, divisor);
    bool scaleFont = (FRescaleMarks & rmFont) && !FParentFont && FFont;
    FRescaleMarks = 0;
    SetBounds(left, top, width, height);
    if (scaleFont) {
        FFont->SetHeight(MulDiv(FFont->Height(), multiplier, divisor));
        FRescaleMarks = 0; // the font's own change is the scaling itself
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
        "IsControl", [this](TReader& reader) { FIsControl = reader.ReadFlagValue(); },
        [this](TWriter& writer) { writer.WriteBoolean(FIsControl); }, FIsControl);
}

void TControl::Destroy() {
    if (TControlApplicationLink* application = ControlApplication())
        application->ForgetControl(this);
    SetParent(nullptr);
    FreeObject(FFont);
    FFont = nullptr;
    TComponent::Destroy();
}

std::string LongHintOf(const std::string& hint) {
    size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

// --- TWinControl ---------------------------------------------------------------

HWND TWinControl::Handle() {
    HandleNeeded();
    return FWindow;
}

void TWinControl::HandleNeeded() {
    if (!FWindow) BuildWindow();
}

void TWinControl::DestroyHandle() {
    if (FWindow) DropWindowHandle();
}

void TWinControl::InsertControl(TControl* control) {
    if (std::find(FControls.begin(), FControls.end(), control) == FControls.end())
        FControls.push_back(control);
}

void TWinControl::RemoveControl(TControl* control) {
    std::erase(FControls, control);
}

void TWinControl::ScaleControls(int multiplier, int divisor) {
    for (TControl* control : FControls)
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
        params.Owner = FParentWindow;
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
    if (FWindow) {
        RECT window{}, client{};
        GetWindowRect(FWindow, &window);
        GetClientRect(FWindow, &client);
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
    FDefaultProc =
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
    if (!FWindow) RaiseLastWin32Error();
    if (Font()) SendMessageA(FWindow, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    // Windows may have placed or sized the window otherwise (default
    // placement, tracking limits).
    ReadBoundsFromWindow();
}

void TWinControl::ReadBoundsFromWindow() {
    if (!FWindow || IsIconic(FWindow)) return;
    RECT rect{};
    GetWindowRect(FWindow, &rect);
    POINT topLeft{rect.left, rect.top};
    if ((GetWindowLongA(FWindow, GWL_STYLE) & WS_CHILD) && GetParent(FWindow))
        ScreenToClient(GetParent(FWindow), &topLeft);
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
    FWindow = window;
}

void TWinControl::ForgetWindow() {
    if (FWindow) ControlWindows().erase(FWindow);
    FWindow = nullptr;
}

void TWinControl::DropWindowHandle() {
    HWND window = FWindow;
    if (!DestroyWindow(window)) RaiseLastWin32Error();
    // WM_NCDESTROY has forgotten the window by now; a window destroyed without
    // reaching our procedure is forgotten here.
    ControlWindows().erase(window);
    FWindow = nullptr;
}

void TWinControl::DefaultHandler(TMessage& message) {
    message.Result =
        CallWindowProcA(FDefaultProc, FWindow, message.Msg, message.WParam, message.LParam);
}

void TWinControl::HandleMessage(TMessage& message) {
    if (!FWindow) return;
    HWND window = FWindow;
    if (message.Msg == WM_ERASEBKGND) {
        EraseBackground(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    }
    DefaultHandler(message);
    if (message.Msg == WM_WINDOWPOSCHANGED) ReadBoundsFromWindow();
    if (message.Msg == WM_NCDESTROY) {
        ControlWindows().erase(window);
        FWindow = nullptr;
    }
}

void TWinControl::EraseBackground(HDC dc) {
    RECT client{};
    GetClientRect(FWindow, &client);
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
    if (FWindow) ShowWindow(FWindow, Visible() ? SW_SHOW : SW_HIDE);
}

void TWinControl::FontChanged() {
    if (FWindow)
        SendMessageA(FWindow, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
    // Controls that show their parent's font follow it.
    for (TControl* control : FControls)
        control->FollowParentFont();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    if (FWindow)
        SetWindowPos(FWindow, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetEnabled(bool enabled) {
    TControl::SetEnabled(enabled);
    if (FWindow) EnableWindow(FWindow, enabled);
}

void TWinControl::SetCaption(const std::string& caption) {
    TControl::SetCaption(caption);
    if (FWindow) SetWindowTextA(FWindow, caption.c_str());
}

void TWinControl::Destroy() {
    // The controls placed here stay with their owner; they lose their parent.
    while (!FControls.empty())
        FControls.back()->SetParent(nullptr);
    if (FWindow) {
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
    if (!control && controlInCreation && !controlInCreation->FWindow) {
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
