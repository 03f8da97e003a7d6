// The form's window: its class and styles from the form's properties, the
// extras set right after it exists, its multiple-document variants, the
// reaction to a change of the showing state (events, one placement by
// Position, the show command by WindowState), the move onto the default
// monitor, and the answer to a close request.
#include "framework/controls/saturated.h"
#include "framework/forms/application_link.h"
#include "framework/forms/form.h"
#include "framework/forms/screen.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "runtime/scope_exit.h"

namespace {

// Windows 4 and later: new-style controls, forms carry a large icon.
bool NewStyleControls() {
    return LOBYTE(LOWORD(GetVersion())) >= 4;
}

constexpr TBorderIcons IconBit(TBorderIcon icon) {
    return static_cast<TBorderIcons>(1u << icon);
}

// SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE.
constexpr UINT HideWithoutActivating = 0x97;
// The identifier of the first child of a multiple-document client window.
constexpr UINT FirstMdiChildId = 0xFF00;

HMONITOR MonitorOfForm(TCustomForm* form) {
    if (form->HandleAllocated()) return MonitorFromWindow(form->Handle(), MONITOR_DEFAULTTONEAREST);
    RECT bounds{form->Left(), form->Top(), SaturatedInt(int64_t{form->Left()} + form->Width()),
                SaturatedInt(int64_t{form->Top()} + form->Height())};
    return MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST);
}

} // namespace

// --- The window creation record ---------------------------------------------------------

bool TCustomForm::ApplyFrame(TWindowParams& params) const {
    // A form accepts child controls.
    params.Style |= WS_CLIPCHILDREN;
    params.ExStyle |= WS_EX_CONTROLPARENT;
    const bool topLevel = !Parent() && !ParentWindow();
    if (topLevel) {
        TFormApplicationLink* application = FormApplication();
        params.Owner = application ? application->AppWindow() : nullptr;
        params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP);
    }
    params.WindowClass.style = CS_DBLCLKS;
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
        params.X = static_cast<int>(CW_USEDEFAULT);
        params.Y = static_cast<int>(CW_USEDEFAULT);
    }
    TBorderIcons icons = FBorderIcons;
    TFormBorderStyle style = FBorderStyle;
    if (FFormStyle == fsMDIChild && (style == bsNone || style == bsDialog)) style = bsSizeable;
    switch (style) {
    case bsNone:
        if (topLevel) params.Style |= WS_POPUP;
        icons = 0;
        break;
    case bsSingle:
    case bsToolWindow:
        params.Style |= WS_CAPTION;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        if (FPosition == poDefault || FPosition == poDefaultSizeOnly) {
            params.Width = static_cast<int>(CW_USEDEFAULT);
            params.Height = static_cast<int>(CW_USEDEFAULT);
        }
        break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION;
        params.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        if (!NewStyleControls()) params.Style |= WS_DLGFRAME | DS_MODALFRAME;
        icons &= IconBit(biSystemMenu) | IconBit(biHelp);
        params.WindowClass.style = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
        break;
    }
    if (style == bsToolWindow || style == bsSizeToolWin) {
        params.ExStyle = WS_EX_TOOLWINDOW;
        icons &= IconBit(biSystemMenu);
    }
    bool stateToNormal = false;
    if (style == bsNone || style == bsSingle || style == bsSizeable) {
        if (!(FFormStyle == fsMDIChild && !(icons & IconBit(biSystemMenu)))) {
            if (icons & IconBit(biMinimize)) params.Style |= WS_MINIMIZEBOX;
            if (icons & IconBit(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
        }
        if (FWindowState == wsMinimized) params.Style |= WS_MINIMIZE;
        if (FWindowState == wsMaximized) params.Style |= WS_MAXIMIZE;
    } else {
        stateToNormal = true;
    }
    if (icons & IconBit(biSystemMenu)) params.Style |= WS_SYSMENU;
    if (icons & IconBit(biHelp)) params.ExStyle |= WS_EX_CONTEXTHELP;
    if (HasState(lsEmbedded)) params.Style &= ~static_cast<DWORD>(WS_CAPTION);
    if (FFormStyle == fsMDIChild) params.WindowClass.lpfnWndProc = &DefMDIChildProcA;
    return stateToNormal;
}

void TCustomForm::FillWindowParams(TWindowParams& params) {
    TScrollingWinControl::FillWindowParams(params);
    // Border styles without minimise and maximise boxes show only normally.
    if (ApplyFrame(params)) FWindowState = wsNormal;
}

void TCustomForm::FrameStyles(DWORD& style, DWORD& exStyle) {
    TWindowParams params;
    TScrollingWinControl::FillWindowParams(params);
    ApplyFrame(params);
    style = params.Style;
    exStyle = params.ExStyle;
}

// --- Making and removing the window ------------------------------------------------------

HWND TCustomForm::PrimaryClientWindow() {
    TFormApplicationLink* application = FormApplication();
    TCustomForm* primary = application ? application->PrimaryForm() : nullptr;
    return primary ? primary->FClientWindow : nullptr;
}

void TCustomForm::OpenWindowHandle(const TWindowParams& params) {
    if (FFormStyle != fsMDIChild || IsDesigning()) {
        ExcludeBuildFlags(bfMdiChildWindow);
        TScrollingWinControl::OpenWindowHandle(params);
        return;
    }
    HWND client = PrimaryClientWindow();
    if (!client) throw EInvalidOperation(LoadResString(SNoMDIForm));
    MDICREATESTRUCTA create{params.ClassName.c_str(),
                            params.Caption.c_str(),
                            params.WindowClass.hInstance,
                            params.X,
                            params.Y,
                            params.Width,
                            params.Height,
                            params.Style,
                            reinterpret_cast<LPARAM>(params.Param)};
    auto window = reinterpret_cast<HWND>(
        SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (!window) return;
    if (!HandleAllocated()) AdoptWindow(window);
    IncludeBuildFlags(bfMdiChildWindow);
}

void TCustomForm::BuildWindow() {
    TScrollingWinControl::BuildWindow();
    if (NewStyleControls()) {
        HICON icon = nullptr;
        if (FBorderStyle != bsDialog) {
            // A form without an icon of its own shows the application's,
            // which may be none (then the window class's icon is used).
            icon = FIcon ? FIcon->Handle() : nullptr;
            if (!icon)
                if (TFormApplicationLink* application = FormApplication())
                    icon = application->AppIconHandle();
        }
        SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    if (IsDesigning()) return;
    if (FFormStyle == fsMDIForm) {
        CLIENTCREATESTRUCT client{nullptr, FirstMdiChildId};
        RECT area{};
        GetClientRect(Window(), &area);
        FClientWindow = CreateWindowExA(
            WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_GROUP | WS_TABSTOP, 0, 0, area.right,
            area.bottom, Window(), nullptr, GetModuleHandleA(nullptr), &client);
        if (!FClientWindow) RaiseLastWin32Error();
    } else if (FFormStyle == fsStayOnTop) {
        SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
}

void TCustomForm::DropWindowHandle() {
    // The drawing surface gives its device context back before the window goes.
    if (FSurface) FSurface->FreeHandle();
    if (FBuildFlags & bfMdiChildWindow) {
        HWND window = Window();
        if (HWND client = PrimaryClientWindow())
            SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
        else if (!DestroyWindow(window))
            RaiseLastWin32Error();
        ForgetWindow();
        ExcludeBuildFlags(bfMdiChildWindow);
    } else {
        TScrollingWinControl::DropWindowHandle();
    }
    // The client window went with the form's window.
    FClientWindow = nullptr;
}

// --- Showing and hiding -------------------------------------------------------------------

void TCustomForm::VisibleChanged() {
    if (Visible()) HandleNeeded();
    if (HandleAllocated()) ApplyShowState();
}

void TCustomForm::ApplyShowState() {
    if ((FBuildFlags & bfShowInProgress) && !IsDesigning())
        throw EInvalidOperation(LoadResString(SVisibleChanged));
    if (TFormApplicationLink* application = FormApplication()) application->FollowFormVisibility();
    IncludeBuildFlags(bfShowInProgress);
    TScopeExit endShow([this] { ExcludeBuildFlags(bfShowInProgress); });
    if (Visible())
        ShowNow();
    else
        HideNow();
}

void TCustomForm::ShowNow() {
    FireCaptured(OnShow);
    PlaceByPosition();
    if (HandleAllocated()) ApplyWindowState();
}

void TCustomForm::ApplyWindowState() {
    HWND window = Window();
    HWND client = (FBuildFlags & bfMdiChildWindow) ? GetParent(window) : nullptr;
    // No client message minimises a child: like any other window it is
    // minimised by ShowWindow, and SW_SHOWMINNOACTIVE leaves the client's
    // active child as it is.
    if (!client || FWindowState == wsMinimized) {
        ShowWindow(window, ShowCommandOf(FWindowState));
        return;
    }
    // A multiple-document child is maximised and restored by its client,
    // which keeps one child maximised at a time and knows the active one:
    // WM_MDIMAXIMIZE shows and activates the child; WM_MDIRESTORE shows it
    // (from minimised or maximised too) but activates it only when it was
    // minimised, so a child shown normally is activated on its own.
    const WPARAM child = reinterpret_cast<WPARAM>(window);
    if (FWindowState == wsMaximized) {
        SendMessageA(client, WM_MDIMAXIMIZE, child, 0);
    } else {
        SendMessageA(client, WM_MDIRESTORE, child, 0);
        SendMessageA(client, WM_MDIACTIVATE, child, 0);
    }
}

void TCustomForm::HideNow() {
    FireCaptured(OnHide);
    if (!HandleAllocated()) return;
    if (FFormStyle == fsMDIChild) {
        DestroyHandle();
        return;
    }
    HWND window = Window();
    if (FBuildFlags & bfModalRun) {
        SetWindowPos(window, nullptr, 0, 0, 0, 0, HideWithoutActivating);
        return;
    }
    // Hiding the active form would activate its owner, the hidden
    // application window: another window of the program takes over instead.
    if (GetActiveWindow() == window && !IsIconic(window)) {
        TFormApplicationLink* application = FormApplication();
        if (HWND next = application ? application->FirstUsableWindow(window) : nullptr) {
            SetWindowPos(window, nullptr, 0, 0, 0, 0, HideWithoutActivating);
            SetActiveWindow(next);
            return;
        }
    }
    ShowWindow(window, SW_HIDE);
}

void TCustomForm::PlaceByPosition() {
    TFormApplicationLink* application = FormApplication();
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN),
              screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int left = Left(), top = Top();
    auto centreIn = [&](int width, int height) {
        left = SaturatedInt((int64_t{width} - Width()) / 2);
        top = SaturatedInt((int64_t{height} - Height()) / 2);
    };
    bool placed = true, onDefaultMonitor = true;
    if (FPosition == poScreenCenter ||
        (FPosition == poMainFormCenter && FFormStyle == fsMDIChild)) {
        TCustomForm* primary = application ? application->PrimaryForm() : nullptr;
        if (FFormStyle == fsMDIChild && primary)
            centreIn(primary->ClientWidth(), primary->ClientHeight());
        else
            centreIn(screenWidth, screenHeight);
    } else if (FPosition == poMainFormCenter || FPosition == poOwnerFormCenter) {
        TCustomForm* reference = application ? application->PrimaryForm() : nullptr;
        if (FPosition == poOwnerFormCenter)
            if (TCustomForm* owner = As<TCustomForm>(Owner())) reference = owner;
        if (reference) {
            left = SaturatedInt(reference->Left() + (int64_t{reference->Width()} - Width()) / 2);
            top = SaturatedInt(reference->Top() + (int64_t{reference->Height()} - Height()) / 2);
        } else {
            centreIn(screenWidth, screenHeight);
        }
    } else if (FPosition == poDesktopCenter) {
        centreIn(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
        onDefaultMonitor = false;
    } else {
        placed = false;
    }
    if (placed) {
        SetBounds(left < 0 ? 0 : left, top < 0 ? 0 : top, Width(), Height());
        if (onDefaultMonitor && Visible()) MoveToDefaultMonitor();
    }
    // The placement happens once.
    FPosition = poDesigned;
}

void TCustomForm::MoveToDefaultMonitor() {
    if (FDefaultMonitor == dmDesktop) return;
    TFormApplicationLink* application = FormApplication();
    TCustomForm* primary = application ? application->PrimaryForm() : nullptr;
    if (!primary) return;
    HMONITOR target = nullptr;
    switch (FDefaultMonitor) {
    case dmMainForm:
        target = MonitorOfForm(primary);
        break;
    case dmActiveForm:
        if (TheScreen && TheScreen->ActiveCustomForm())
            target = MonitorOfForm(TheScreen->ActiveCustomForm());
        break;
    case dmPrimary:
        target = TScreen::PrimaryMonitor();
        break;
    default:
        break;
    }
    HMONITOR current = MonitorOfForm(this);
    if (!target || target == current) return;
    MONITORINFO to{}, from{};
    to.cbSize = from.cbSize = sizeof(MONITORINFO);
    if (!GetMonitorInfoA(target, &to) || !GetMonitorInfoA(current, &from)) return;
    int left, top;
    if (FPosition == poScreenCenter || FPosition == poMainFormCenter) {
        left = SaturatedInt(to.rcWork.left +
                            (int64_t{to.rcWork.right} - to.rcWork.left - Width()) / 2);
        top = SaturatedInt(to.rcWork.top +
                           (int64_t{to.rcWork.bottom} - to.rcWork.top - Height()) / 2);
    } else {
        left = SaturatedInt(int64_t{Left()} + to.rcMonitor.left - from.rcMonitor.left);
        top = SaturatedInt(int64_t{Top()} + to.rcMonitor.top - from.rcMonitor.top);
        if (int64_t{left} + Width() > to.rcMonitor.right)
            left = SaturatedInt(int64_t{to.rcMonitor.right} - Width());
        if (int64_t{top} + Height() > to.rcMonitor.bottom)
            top = SaturatedInt(int64_t{to.rcMonitor.bottom} - Height());
    }
    SetBounds(left, top, Width(), Height());
}

// --- Closing ---------------------------------------------------------------------------------

void TCustomForm::RequestClose() {
    if (FBuildFlags & bfModalRun) {
        FModalOutcome = 2;
        return;
    }
    if (!MayClose()) return;
    TCloseChoice choice = ccHide;
    if (FFormStyle == fsMDIChild)
        choice = (FBorderIcons & IconBit(biMinimize)) ? ccMinimize : ccKeep;
    if (OnClose.Assigned()) OnClose(this, &choice);
    if (choice == ccKeep) return;
    TFormApplicationLink* application = FormApplication();
    if (application && application->PrimaryForm() == this) {
        application->RequestQuit();
        return;
    }
    switch (choice) {
    case ccHide:
        SetVisible(false);
        break;
    case ccMinimize:
        SetWindowState(wsMinimized);
        break;
    case ccRelease:
        PostMessageA(Handle(), AM_RELEASE, 0, 0);
        break;
    default:
        break;
    }
}

bool TCustomForm::ClaimShortcut(TMessage& keyMessage) {
    // The form has no menu and no action lists: only "OnShortCut" may claim the key.
    bool handled = false;
    if (OnShortCut.Assigned()) OnShortCut(&keyMessage, &handled);
    return handled;
}
