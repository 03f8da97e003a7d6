#include "framework/forms/form.h"

#include "framework/forms/application_link.h"
#include "framework/forms/screen.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

constinit const TClass TCustomForm::ClassInfo =
    MakeClass<TCustomForm>("TCustomForm", &TScrollingWinControl::ClassInfo);
constinit const TClass TForm::ClassInfo = MakeClass<TForm>("TForm", &TCustomForm::ClassInfo);

namespace {
// Windows 4 and later: forms carry a large icon.
bool NewStyleControls() { return LOBYTE(LOWORD(GetVersion())) >= 4; }
}  // namespace

int ShowCommandOf(TWindowState state) {
    switch (state) {
    case wsMinimized: return SW_SHOWMINNOACTIVE;
    case wsMaximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
    }
}

void TCustomForm::Create(TComponent* owner) { CreateBlank(owner, 0); }

void TCustomForm::CreateBlank(TComponent* owner, int) {
    TScrollingWinControl::Create(owner);
    TScrollingWinControl::SetVisible(false);
    SetBounds(0, 0, 320, 240);
    icon_ = new TIcon();
    if (TheScreen) TheScreen->RegisterForm(this);
}

void TCustomForm::ConstructionFinished() {
    TScrollingWinControl::ConstructionFinished();
    RunCreationHandler();
}

void TCustomForm::FireCaptured(const TNotifyEvent& event) {
    if (!event.Assigned()) return;
    try {
        event(this);
    } catch (...) {
        RouteBoundaryException(this);
    }
}

void TCustomForm::RunCreationHandler() {
    FireCaptured(OnCreate);
    if (FBuildFlags & bfShowRequested) SetVisible(true);
}

void TCustomForm::RunDestructionHandler() { FireCaptured(OnDestroy); }

void TCustomForm::RefreshActions() {}

bool TCustomForm::MayClose() {
    bool mayClose = true;
    if (OnCloseQuery.Assigned()) OnCloseQuery(this, &mayClose);
    return mayClose;
}

void TCustomForm::DestructionStarting() {
    IncludeState(lsDestroying);
    if (TheScreen) TheScreen->ForgetFocus(this);
    if (formStyle_ != fsMDIChild) {
        try {
            SetVisible(false);
        } catch (...) {
            RouteBoundaryException(this);
        }
    }
    RunDestructionHandler();
    TScrollingWinControl::DestructionStarting();
}

void TCustomForm::Destroy() {
    if (HandleAllocated()) {
        try {
            DestroyHandle();
        } catch (...) {
            RouteBoundaryException(this);
        }
    }
    if (TheScreen) TheScreen->UnregisterForm(this);
    FreeObject(icon_);
    icon_ = nullptr;
    TScrollingWinControl::Destroy();
}

void TCustomForm::SetVisible(bool visible) {
    if (FBuildFlags & bfConstructing) {
        if (visible)
            IncludeBuildFlags(bfShowRequested);
        else
            ExcludeBuildFlags(bfShowRequested);
        return;
    }
    TScrollingWinControl::SetVisible(visible);
}

void TCustomForm::VisibleChanged() {
    if (Visible()) HandleNeeded();
    if (HandleAllocated()) ApplyShowState();
}

void TCustomForm::ApplyShowState() {
    if ((FBuildFlags & bfShowInProgress) && !IsDesigning())
        throw EInvalidOperation(LoadResString(SVisibleChanged));
    if (TFormApplicationLink* application = FormApplication()) application->FollowFormVisibility();
    IncludeBuildFlags(bfShowInProgress);
    try {
        if (Visible()) {
            FireCaptured(OnShow);
            ShowWindow(Window(), ShowCommandOf(windowState_));
        } else {
            FireCaptured(OnHide);
            ShowWindow(Window(), SW_HIDE);
        }
    } catch (...) {
        ExcludeBuildFlags(bfShowInProgress);
        throw;
    }
    ExcludeBuildFlags(bfShowInProgress);
}

void TCustomForm::SetWindowState(TWindowState state) {
    if (state == windowState_) return;
    windowState_ = state;
    if (HandleAllocated() && Visible()) ShowWindow(Window(), ShowCommandOf(state));
}

void TCustomForm::FillWindowParams(TWindowParams& params) {
    TScrollingWinControl::FillWindowParams(params);
    params.Style |= WS_CLIPCHILDREN;
    params.ExStyle |= WS_EX_CONTROLPARENT;
    if (!Parent() && !ParentWindow()) {
        TFormApplicationLink* application = FormApplication();
        params.Owner = application ? application->AppWindow() : nullptr;
        params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP);
    }
    params.WindowClass.style = CS_DBLCLKS;
    params.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    if (windowState_ == wsMinimized) params.Style |= WS_MINIMIZE;
    if (windowState_ == wsMaximized) params.Style |= WS_MAXIMIZE;
}

void TCustomForm::BuildWindow() {
    TScrollingWinControl::BuildWindow();
    if (NewStyleControls()) {
        HICON icon = icon_ ? icon_->Handle() : nullptr;
        if (!icon)
            if (TFormApplicationLink* application = FormApplication())
                icon = application->CurrentIcon();
        SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    if (formStyle_ == fsStayOnTop)
        SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomForm::RequestClose() {
    if (FBuildFlags & bfModalRun) {
        FModalOutcome = 2;
        return;
    }
    if (!MayClose()) return;
    TCloseChoice choice = formStyle_ == fsMDIChild ? ccMinimize : ccHide;
    if (OnClose.Assigned()) OnClose(this, &choice);
    if (choice == ccKeep) return;
    TFormApplicationLink* application = FormApplication();
    if (application && application->PrimaryForm() == this) {
        application->RequestQuit();
        return;
    }
    switch (choice) {
    case ccHide: SetVisible(false); break;
    case ccMinimize: SetWindowState(wsMinimized); break;
    case ccRelease:
        if (HandleAllocated()) PostMessageA(Window(), AM_RELEASE, 0, 0);
        break;
    default: break;
    }
}

bool TCustomForm::ClaimShortcut(TMessage& keyMessage) {
    bool handled = false;
    if (OnShortCut.Assigned()) OnShortCut(&keyMessage, &handled);
    return handled;
}

bool TCustomForm::OfferHelp(WORD command, LONG_PTR data, bool* result) {
    bool callHelp = true;
    if (OnHelp.Assigned()) OnHelp(command, data, &callHelp, result);
    return callHelp;
}

void TCustomForm::HandleMessage(TMessage& message) {
    if (message.Msg == WM_CLOSE) {
        RequestClose();
        return;
    }
    TScrollingWinControl::HandleMessage(message);
}
