#include "framework/application/application.h"

#include "framework/application/framework_modules.h"
#include "framework/controls/mouse.h"
#include "framework/forms/screen.h"
#include "runtime/exceptions.h"
#include "runtime/modules.h"
#include "runtime/new_instance.h"
#include "runtime/resstrings.h"
#include "runtime/scope_exit.h"
#include "system/module_path.h"

constinit const TClass TApplication::ClassInfo =
    MakeClass<TApplication>("TApplication", &TComponent::ClassInfo);

TApplication* TheApplication = nullptr;
void (*StartupHook)() = nullptr;
int StartupShowCommand = SW_SHOWDEFAULT;
bool NewShellUI = false;
bool MiddleEastLocale = false;
bool AppWindowShown = false;
TTerminateGuard* TerminateGuards = nullptr;

namespace {

constexpr char AppWindowClass[] = "TApplication";
// WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, not visible.
constexpr DWORD AppWindowStyle = 0x84CA0000;

HINSTANCE ProgramInstance() {
    return GetModuleHandleA(nullptr);
}

// The application window's procedure: hands each message to the object that
// owns the window (kept in the window's user data).
// No exception may leave it: on 32-bit Windows one cannot unwind through the
// system's frames and would end the process (HandleAppMessage routes its
// own; this catches what routing itself raised).
LRESULT CALLBACK AppWindowThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) try {
    auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!application) return DefWindowProcA(window, message, wParam, lParam);
    TMessage record{message, wParam, lParam, 0};
    application->HandleAppMessage(record);
    return record.Result;
} catch (...) {
    return 0;
}

void ReleaseAppFormsStep() {
    ReleaseAppForms();
}

} // namespace

void ReadStartupSettings() {
    STARTUPINFOA info{};
    info.cb = sizeof(info);
    GetStartupInfoA(&info);
    StartupShowCommand = (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : SW_SHOWDEFAULT;
    NewShellUI = LOBYTE(LOWORD(GetVersion())) >= 4;
    MiddleEastLocale = GetSystemMetrics(SM_MIDEASTENABLED) != 0;
}

void AddTerminateGuard(TTerminateGuard& guard) {
    guard.Next = nullptr;
    TTerminateGuard** link = &TerminateGuards;
    while (*link)
        link = &(*link)->Next;
    *link = &guard;
}

void RemoveTerminateGuard(TTerminateGuard& guard) {
    for (TTerminateGuard** link = &TerminateGuards; *link; link = &(*link)->Next)
        if (*link == &guard) {
            *link = guard.Next;
            return;
        }
}

std::string TApplication::ReadTitle() const {
    if (!FOwnsAppWindow) return FStoredTitle;
    char buffer[256];
    int length = GetWindowTextA(FAppWindow, buffer, sizeof(buffer));
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string TApplication::ProgramFilePath() const {
    // Whole, however long: a cut path names another folder.
    return ModuleFilePath(nullptr);
}

// --- Construction and destruction --------------------------------------------------

void TApplication::Create(TComponent* owner) {
    TComponent::Create(owner);
    FReadingOrder = 0;
    FTopmostWindows.clear();
    FMessageHooks.clear();
    FHintOwnerControl = nullptr;
    FHintPopup = nullptr;
    FHintBackground = static_cast<int32_t>(0x80000018);
    FHintWait = 500;
    FHintShowsShortcuts = true;
    FHintQuickWait = 0;
    FHintLifetime = 2500;
    FHintsOn = false;
    FInForeground = true;

    FAppIcon = new TIcon();
    FAppIcon->SetHandle(LoadIconA(ProgramInstance(), "MAINICON"));
    FAppIcon->OnChange = BindEvent<&TApplication::IconReplaced, TNotifyEvent>(this);

    char buffer[256];
    DWORD length = GetModuleFileNameA(ProgramInstance(), buffer, sizeof(buffer));
    FStoredTitle = DeriveTitle(buffer, length);

    SetFormApplication(this);
    CreateAppWindow();
    FTrackLocaleChanges = true;
    FTrackMetricChanges = true;
    FRevealPrimaryForm = true;
}

void TApplication::CreateAppWindow() {
    if (FOwnsAppWindow) return;
    FWindowThunk = &AppWindowThunk;
    HINSTANCE instance = ProgramInstance();
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(instance, AppWindowClass, &windowClass)) {
        windowClass = WNDCLASSA{};
        windowClass.lpfnWndProc = &DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = AppWindowClass;
        if (!RegisterClassA(&windowClass)) throw EOutOfResources(LoadResString(SWindowClass));
    }
    FAppWindow = CreateWindowExA(
        0, AppWindowClass, FStoredTitle.c_str(), AppWindowStyle, GetSystemMetrics(SM_CXSCREEN) / 2,
        GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!FAppWindow) RaiseLastWin32Error();
    FStoredTitle.clear();
    FOwnsAppWindow = true;
    // The class procedure is DefWindowProcA; the window's own procedure
    // forwards to this object from now on.
    SetWindowLongPtrA(FAppWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(FAppWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FWindowThunk));
    if (NewShellUI) {
        SendMessageA(FAppWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(CurrentIcon()));
        SetClassLongPtrA(FAppWindow, GCLP_HICON, reinterpret_cast<LONG_PTR>(CurrentIcon()));
    }
    HMENU menu = GetSystemMenu(FAppWindow, FALSE);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    if (NewShellUI) DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
}

void TApplication::Destroy() {
    bool ownWindow = FAppWindow && FOwnsAppWindow;
    if (ownWindow && !FHelpPath.empty()) {
        try {
            ShowHelp(HELP_QUIT, 0);
        } catch (...) {
        }
    }
    FInForeground = false;
    CancelHint();
    SetHintsOn(false);
    TComponent::Destroy();
    if (ownWindow) {
        if (NewShellUI) SendMessageA(FAppWindow, WM_SETICON, ICON_BIG, 0);
        DestroyWindow(FAppWindow);
        FAppWindow = nullptr;
        FOwnsAppWindow = false;
        AppWindowShown = false; // it described the window that is gone
    }
    FWindowThunk = nullptr;
    FMessageHooks.clear();
    FTopmostWindows.clear();
    FreeObject(FAppIcon);
    FAppIcon = nullptr;
    if (FormApplication() == this) SetFormApplication(nullptr);
}

HICON TApplication::CurrentIcon() {
    if (FAppIcon && !FAppIcon->Empty()) return FAppIcon->Handle();
    return LoadIconA(nullptr, IDI_APPLICATION);
}

HICON TApplication::AppIconHandle() const {
    return FAppIcon ? FAppIcon->Handle() : nullptr;
}

void TApplication::ForgetControl(TObject* control) {
    if (FHoverControl == control) FHoverControl = nullptr;
    if (FHintOwnerControl == control) FHintOwnerControl = nullptr;
    if (FPrimaryForm == control) FPrimaryForm = nullptr;
}

// --- Hints -------------------------------------------------------------------------

void TApplication::SetHintsOn(bool on) {
    if (on == FHintsOn) return;
    FHintsOn = on;
    if (on) {
        FHintPopup = static_cast<THintWindow*>(ConstructComponent(HintPopupClass, this));
        FHintPopup->SetColor(FHintBackground);
    } else {
        THintWindow* popup = FHintPopup;
        FHintPopup = nullptr;
        FreeObject(popup);
    }
}

void TApplication::CancelHint() {
    if (FHintTimerId) {
        if (FAppWindow) KillTimer(FAppWindow, FHintTimerId);
        FHintTimerId = 0;
    }
    FHintTimerPhase = 0;
    if (FHintOpen && FHintPopup) FHintPopup->ReleaseHandle();
    FHintOpen = false;
    FHintOwnerControl = nullptr;
}

void TApplication::ReleaseHintWindow() {
    if (FHintPopup) FHintPopup->ReleaseHandle();
}

// --- Forms -------------------------------------------------------------------------

void TApplication::RunStartupHook() {
    if (StartupHook) StartupHook();
}

void TApplication::InstantiateForm(const TClass* formClass,
                                   const std::function<void(TComponent*)>& store) {
    TComponent* instance = NewInstanceAs<TComponent, EComponentError>(formClass);
    store(instance);
    try {
        instance->Create(this);
        instance->ConstructionFinished();
    } catch (...) {
        store(nullptr);
        DiscardObject(instance);
        throw;
    }
    if (!FPrimaryForm)
        if (TForm* form = As<TForm>(instance)) {
            form->HandleNeeded();
            FPrimaryForm = form;
        }
}

void TApplication::FollowFormVisibility() {
    if (!FAppWindow || !TheScreen) return;
    bool wanted = false;
    for (int i = 0; i < TheScreen->CustomFormCount() && !wanted; ++i) {
        TCustomForm* form = TheScreen->CustomForms(i);
        if (!form->Visible()) continue;
        // A form placed into a foreign window does not count.
        if (form->ParentWindow() && IsChild(form->Handle(), form->ParentWindow())) continue;
        wanted = true;
    }
    bool shown = IsWindowVisible(FAppWindow) != FALSE;
    if (shown != AppWindowShown || wanted == AppWindowShown) return;
    SetWindowPos(FAppWindow, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (wanted ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    AppWindowShown = wanted;
}

void TApplication::UpdateFormActions() {
    if (!TheScreen) return;
    std::vector<TCustomForm*> forms;
    for (int i = 0; i < TheScreen->CustomFormCount(); ++i)
        forms.push_back(TheScreen->CustomForms(i));
    for (TCustomForm* form : forms) {
        if (!form->HandleAllocated()) continue;
        HWND window = form->Handle();
        if (IsWindowVisible(window) && IsWindowEnabled(window)) form->RefreshActions();
    }
}

bool TApplication::ExecuteActionHook(TObject* action) {
    bool handled = false;
    if (ActionExecuteHook.Assigned()) ActionExecuteHook(action, &handled);
    return handled;
}

bool TApplication::UpdateActionHook(TObject* action) {
    bool handled = false;
    if (ActionUpdateHook.Assigned()) ActionUpdateHook(action, &handled);
    return handled;
}

// --- The message loop --------------------------------------------------------------

void TApplication::EnterMessageLoop() {
    FInLoop = true;
    TScopeExit leaveLoop([this] { FInLoop = false; });
    AddExitStep(&ReleaseAppFormsStep);
    if (!FPrimaryForm) return;
    if (StartupShowCommand == SW_SHOWMAXIMIZED)
        FPrimaryForm->SetWindowState(wsMaximized);
    else if (StartupShowCommand == SW_SHOWMINNOACTIVE)
        FPrimaryForm->SetWindowStateField(wsMinimized);
    if (FRevealPrimaryForm) {
        if (FPrimaryForm->WindowState() == wsMinimized)
            Iconify();
        else
            FPrimaryForm->SetVisible(true);
    }
    do
        PumpOnce();
    while (!FQuitRequested);
}

void TApplication::PumpOnce() {
    MSG message;
    if (!DispatchNextMessage(message)) IdleStep();
}

void TApplication::DrainMessageQueue() {
    MSG message;
    while (DispatchNextMessage(message)) {
    }
}

bool TApplication::DispatchNextMessage(MSG& message) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
        FQuitRequested = true;
        return true;
    }
    // The messages whose lParam points into this thread are only ever sent;
    // a posted one came from elsewhere and its pointer means nothing here.
    if (message.hwnd == FAppWindow && CarriesOwnThreadPointer(message.message)) return true;
    bool handled = false;
    if (MessageHook.Assigned()) MessageHook(&message, &handled);
    // The hint preview never consumes the message.
    if (FHintPopup && FHintPopup->IsHintMsg(message)) CancelHint();
    if (handled) return true;
    if (PreviewMdiAccelerator(message) || PreviewKey(message) || PreviewDialog(message))
        return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

bool TApplication::PreviewMdiAccelerator(MSG& message) {
    if (!FPrimaryForm || FPrimaryForm->FormStyle() != fsMDIForm || !TheScreen) return false;
    TCustomForm* active = TheScreen->ActiveForm();
    if (!active || active->FormStyle() != fsMDIChild) return false;
    return TranslateMDISysAccel(FPrimaryForm->ClientHandle(), &message) != FALSE;
}

bool TApplication::PreviewKey(MSG& message) {
    // WM_KEYDOWN to WM_SYSDEADCHAR and the one number after it: newer headers
    // make WM_KEYLAST 0x109 (WM_UNICHAR), which the preview leaves alone.
    constexpr UINT LastPreviewedKeyMessage = 0x108;
    if (message.message < WM_KEYDOWN || message.message > LastPreviewedKeyMessage) return false;
    HWND target;
    if (HWND capture = GetCapture()) {
        // Only a window of this program is offered the key.
        auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(capture, GWLP_HINSTANCE));
        if (instance != ProgramInstance()) return false;
        target = capture;
    } else {
        target = message.hwnd;
        if (FPrimaryForm && FPrimaryForm->ClientHandle() && target == FPrimaryForm->ClientHandle())
            target = FPrimaryForm->Handle();
        else if (TWinControl* control = FindEnclosingControl(message.hwnd))
            target = control->Handle();
    }
    return SendMessageA(target, message.message + NotifyOffset, message.wParam, message.lParam) !=
           0;
}

bool TApplication::PreviewDialog(MSG& message) {
    return FActiveDialog && IsDialogMessageA(FActiveDialog, &message) != FALSE;
}

void TApplication::TrackMouse() {
    POINT point{};
    TControl* now = GetCursorPos(&point) ? FindControlAtPoint(point) : nullptr;
    if (now == FHoverControl) return;
    TControl* captured = FindControl(GetCapture());
    if (FHoverControl && (!captured || captured == FHoverControl))
        FHoverControl->Perform(AM_MOUSELEAVE, 0, 0);
    FHoverControl = now;
    if (FHoverControl && (!captured || captured == FHoverControl))
        FHoverControl->Perform(AM_MOUSEENTER, 0, 0);
}

void TApplication::IdleStep() {
    TrackMouse();
    if (FHintsOn && !FHoverControl) CancelHint();
    std::string hint = FHoverControl ? LongHintOf(FHoverControl->Hint()) : std::string();
    if (hint != FHintText) {
        FHintText = hint;
        // Without a hook the hint text would go to a hint action; the program has none.
        if (HintChangeHook.Assigned()) HintChangeHook(this);
    }
    bool done = true;
    try {
        if (IdleHook.Assigned()) IdleHook(this, &done);
        if (done) UpdateFormActions();
    } catch (...) {
        RouteException(this);
    }
    if (done) WaitMessage();
}

void TApplication::RequestQuit() {
    for (TTerminateGuard* guard = TerminateGuards; guard; guard = guard->Next)
        if (!guard->Guard()) return;
    PostQuitMessage(0);
}
