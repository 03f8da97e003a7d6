// The application window's messages: activation, the end of the session,
// setting changes, system commands from the taskbar button, enabling around
// modal boxes, and the framework's own application messages.
#include "framework/application/application.h"

#include "framework/controls/mouse.h"
#include "framework/forms/screen.h"
#include "runtime/scope_exit.h"
#include "runtime/textconv.h"
#include "system/doublebyte.h"

#include <algorithm>

namespace {

// The pointer message the framework is sending right now, armed by
// SendPointerMessage with the sending thread. The application window takes
// it once, on arrival on that thread: a send to a window of the own thread
// calls the window procedure at once, so the first matching arrival is that
// send. A posted copy, one sent by another thread or process, or one
// dispatched by any other loop (a message box's, a plain DispatchMessage)
// finds nothing armed and is ignored. (A plain variable holding the thread's
// id rather than thread-local storage: the program has one thread.)
struct TPointerSend {
    bool Armed = false;
    DWORD Thread = 0;
    UINT Msg = 0;
    LPARAM LParam = 0;
};
TPointerSend pendingPointerSend;

bool TakePointerSend(const TMessage& message) {
    TPointerSend& pending = pendingPointerSend;
    if (!pending.Armed || pending.Thread != GetCurrentThreadId() || pending.Msg != message.Msg ||
        pending.LParam != message.LParam)
        return false;
    pending.Armed = false;
    return true;
}

} // namespace

bool CarriesOwnThreadPointer(UINT message) {
    return message == AM_SHORTCUT || message == AM_HOOK;
}

LRESULT SendPointerMessage(HWND window, UINT message, WPARAM wParam, const void* pointer) {
    const TPointerSend saved = pendingPointerSend;
    pendingPointerSend = {true, GetCurrentThreadId(), message, reinterpret_cast<LPARAM>(pointer)};
    TScopeExit disarm([saved] { pendingPointerSend = saved; });
    return SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(pointer));
}

void TApplication::HandleAppMessage(TMessage& message) {
    message.Result = 0;
    HWND window = FAppWindow;
    auto passOn = [&] {
        message.Result = DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
    };
    // Taken before anything can run a loop of its own.
    const bool ownPointer = CarriesOwnThreadPointer(message.Msg) && TakePointerSend(message);
    try {
        for (size_t i = 0; i < FMessageHooks.size(); ++i)
            if (FMessageHooks[i](message)) return;
        ApplySettingChange(message);
        if (message.Msg >= WM_CTLCOLORMSGBOX && message.Msg <= WM_CTLCOLORSTATIC) {
            // Colour requests of a child go to the framework control that owns it.
            message.Result =
                SendMessageA(reinterpret_cast<HWND>(message.LParam), message.Msg + NotifyOffset,
                             message.WParam, message.LParam);
            return;
        }
        switch (message.Msg) {
        case WM_SETFOCUS:
            PostMessageA(window, AM_PASSFOCUS, 0, 0);
            passOn();
            break;
        case WM_ENABLE:
            if (message.WParam) {
                ResumeTopmosts();
                if (FDisabledWindows) {
                    TWindowList* list = FDisabledWindows;
                    FDisabledWindows = nullptr;
                    ReenableWindows(list);
                }
                passOn();
            } else {
                passOn();
                if (!FDisabledWindows) FDisabledWindows = DisableOtherWindows(window);
                SuspendAllTopmosts();
            }
            break;
        case WM_PAINT:
            if (IsIconic(window)) {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(window, &paint);
                DrawIcon(dc, 0, 0, CurrentIcon());
                EndPaint(window, &paint);
            } else {
                passOn();
            }
            break;
        case WM_CLOSE:
            // Never passed on: the application window is not destroyed by WM_CLOSE.
            if (FPrimaryForm) FPrimaryForm->RequestClose();
            break;
        case WM_ERASEBKGND:
            message.Msg = WM_ICONERASEBKGND;
            passOn();
            break;
        case WM_ENDSESSION:
            if (message.WParam) FQuitRequested = true;
            break;
        case WM_WININICHANGE:
            if (TheMouse) TheMouse->SettingChanged(message.WParam);
            passOn();
            break;
        case WM_ACTIVATEAPP:
            passOn();
            FInForeground = message.WParam != 0;
            if (FInForeground) {
                ResumeTopmosts();
                PostMessageA(window, AM_ACTIVATED, 0, 0);
            } else {
                SuspendTopmosts();
                PostMessageA(window, AM_DEACTIVATED, 0, 0);
            }
            break;
        case WM_FONTCHANGE:
            if (TheScreen) TheScreen->DropFontList();
            passOn();
            break;
        case WM_QUERYDRAGICON:
            message.Result = reinterpret_cast<LRESULT>(CurrentIcon());
            break;
        case WM_SYSCOMMAND:
            HandleSystemCommand(message);
            break;
        case AM_ACTIVATED:
            if (EnterHook.Assigned()) EnterHook(this);
            break;
        case AM_DEACTIVATED:
            if (LeaveHook.Assigned()) LeaveHook(this);
            break;
        case AM_SHORTCUT:
            if (ownPointer && message.LParam)
                message.Result = TryShortcut(*reinterpret_cast<TMessage*>(message.LParam)) ? 1 : 0;
            break;
        case AM_SYSCOMMAND:
            CarryOutPrimarySystemCommand(message);
            break;
        case AM_PASSFOCUS:
            if (!IsIconic(window) && GetFocus() == window)
                if (HWND usable = FirstUsableWindow(nullptr)) SetFocus(usable);
            break;
        case AM_HELP:
            ShowHelp(static_cast<WORD>(message.WParam), message.LParam);
            break;
        case AM_HOOK:
            if (ownPointer && message.LParam) {
                const auto* hook = reinterpret_cast<const TMessageHook*>(message.LParam);
                if (message.WParam == 0)
                    AddMessageHook(*hook);
                else
                    RemoveMessageHook(*hook);
            }
            break;
        case AM_DIALOG:
            if (message.WParam == 1)
                message.Result = reinterpret_cast<LRESULT>(FActiveDialog);
            else
                FActiveDialog = reinterpret_cast<HWND>(message.LParam);
            break;
        case AM_ACTIONEXECUTE:
        case AM_ACTIONUPDATE:
            OfferAction(message);
            break;
        default:
            passOn();
            break;
        }
    } catch (...) {
        RouteException(this);
    }
}

void TApplication::ApplySettingChange(TMessage& message) {
    if (message.Msg != WM_WININICHANGE) return;
    // The thread follows the user's locale again, the number, date and time
    // formats are read from it anew, and the lead-byte set takes in what the
    // code page now reports (it only grows).
    if (FTrackLocaleChanges) {
        SetThreadLocale(LOCALE_USER_DEFAULT);
        LoadFormatSettings();
        StartDoubleByteModule();
    }
    if (FTrackMetricChanges) {
        if (TheScreen) TheScreen->RefreshMetrics();
        if (FHintsOn) {
            SetHintsOn(false);
            SetHintsOn(true);
        }
    }
}

void TApplication::HandleSystemCommand(TMessage& message) {
    switch (message.WParam & 0xFFF0) {
    case SC_MINIMIZE:
        Iconify();
        break;
    case SC_RESTORE:
        Uniconify();
        break;
    default:
        message.Result = DefWindowProcA(FAppWindow, message.Msg, message.WParam, message.LParam);
        break;
    }
}

void TApplication::CarryOutPrimarySystemCommand(TMessage& message) {
    if (!FPrimaryForm || !FPrimaryForm->HandleAllocated()) return;
    HWND formWindow = FPrimaryForm->Handle();
    if (!IsWindowEnabled(formWindow) || !IsWindowVisible(formWindow)) return;
    FocusNotificationsEnabled = false;
    HWND saved = GetFocus();
    TScopeExit restore([saved] {
        SetFocus(saved);
        FocusNotificationsEnabled = true;
    });
    SetFocus(formWindow);
    FPrimaryForm->Perform(WM_SYSCOMMAND, message.WParam, message.LParam);
    message.Result = 1;
}

void TApplication::OfferAction(TMessage& message) {
    TCustomForm* active = TheScreen ? TheScreen->ActiveForm() : nullptr;
    LRESULT answer = 0;
    if (active) answer = active->Perform(message.Msg, message.WParam, message.LParam);
    if (answer != 1 && FPrimaryForm && FPrimaryForm != active)
        answer = FPrimaryForm->Perform(message.Msg, message.WParam, message.LParam);
    // No action objects exist in this program: an action nobody took keeps
    // its state.
    message.Result = answer & 0x7F;
}

namespace {

struct UsableSearch {
    HWND excepted;
    HWND appWindow;
    HWND plain = nullptr;
    HWND topmost = nullptr;
};

// Like every callback handed to the system, it lets no exception out.
BOOL CALLBACK ConsiderUsable(HWND window, LPARAM param) try {
    auto* search = reinterpret_cast<UsableSearch*>(param);
    if (window == search->excepted || window == search->appWindow || !IsWindowVisible(window) ||
        !IsWindowEnabled(window))
        return TRUE;
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
        if (!search->topmost) search->topmost = window;
        return TRUE;
    }
    search->plain = window;
    return FALSE;
} catch (...) {
    return FALSE;
}

} // namespace

HWND TApplication::FirstUsableWindow(HWND excepted) const {
    UsableSearch search{excepted, FAppWindow};
    EnumThreadWindows(GetCurrentThreadId(), &ConsiderUsable, reinterpret_cast<LPARAM>(&search));
    return search.plain ? search.plain : search.topmost;
}

void TApplication::AddMessageHook(const TMessageHook& hook) {
    if (FOwnsAppWindow)
        FMessageHooks.push_back(hook);
    else if (FAppWindow)
        SendPointerMessage(FAppWindow, AM_HOOK, 0, &hook);
}

void TApplication::RemoveMessageHook(const TMessageHook& hook) {
    if (FOwnsAppWindow) {
        auto it = std::find(FMessageHooks.begin(), FMessageHooks.end(), hook);
        if (it != FMessageHooks.end()) FMessageHooks.erase(it);
    } else if (FAppWindow) {
        SendPointerMessage(FAppWindow, AM_HOOK, 1, &hook);
    }
}

void TApplication::Iconify() {
    if (IsIconic(FAppWindow)) return;
    SuspendTopmosts();
    SetActiveWindow(FAppWindow);
    if (FPrimaryForm && (FRevealPrimaryForm || FPrimaryForm->Visible())) {
        SetWindowPos(FAppWindow, FPrimaryForm->Handle(), FPrimaryForm->Left(), FPrimaryForm->Top(),
                     FPrimaryForm->Width(), 0, SWP_SHOWWINDOW);
        DefWindowProcA(FAppWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else {
        ShowWithoutAnimation(FAppWindow, SW_MINIMIZE);
    }
    if (IconifyHook.Assigned()) IconifyHook(this);
}

void TApplication::Uniconify() {
    if (!IsIconic(FAppWindow)) return;
    SetActiveWindow(FAppWindow);
    if (FPrimaryForm && (FRevealPrimaryForm || FPrimaryForm->Visible()))
        DefWindowProcA(FAppWindow, WM_SYSCOMMAND, SC_RESTORE, 0);
    else
        ShowWithoutAnimation(FAppWindow, SW_RESTORE);
    SetWindowPos(FAppWindow, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, SWP_SHOWWINDOW);
    if (FPrimaryForm && FPrimaryForm->WindowState() == wsMinimized && !FPrimaryForm->Visible()) {
        FPrimaryForm->SetWindowState(wsNormal);
        FPrimaryForm->SetVisible(true);
    }
    ResumeTopmosts();
    if (TheScreen && TheScreen->ActiveControl()) SetFocus(TheScreen->ActiveControl()->Handle());
    if (UniconifyHook.Assigned()) UniconifyHook(this);
}

void TApplication::ShowWithoutAnimation(HWND window, int command) {
    ANIMATIONINFO animation{sizeof(animation), 0};
    SystemParametersInfoA(SPI_GETANIMATION, sizeof(animation), &animation, 0);
    bool wasOn = animation.iMinAnimate != 0;
    if (wasOn) {
        animation.iMinAnimate = 0;
        SystemParametersInfoA(SPI_SETANIMATION, sizeof(animation), &animation, 0);
    }
    ShowWindow(window, command);
    if (wasOn) {
        animation.iMinAnimate = 1;
        SystemParametersInfoA(SPI_SETANIMATION, sizeof(animation), &animation, 0);
    }
}

void TApplication::BringForward() {
    if (!FAppWindow) return;
    HWND popup = GetLastActivePopup(FAppWindow);
    if (popup && popup != FAppWindow && IsWindowVisible(popup) && IsWindowEnabled(popup))
        SetForegroundWindow(popup);
}

void TApplication::IconReplaced(TObject*) {
    if (FAppWindow) {
        if (NewShellUI) {
            SendMessageA(FAppWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(CurrentIcon()));
            SetClassLongPtrA(FAppWindow, GCLP_HICON, reinterpret_cast<LONG_PTR>(CurrentIcon()));
        } else if (IsIconic(FAppWindow)) {
            InvalidateRect(FAppWindow, nullptr, TRUE);
        }
    }
    BroadcastToForms(AM_ICONCHANGED);
}

void TApplication::BroadcastToForms(UINT message) {
    if (!TheScreen) return;
    for (int i = 0; i < TheScreen->CustomFormCount(); ++i)
        TheScreen->CustomForms(i)->Perform(message, 0, 0);
}

bool TApplication::ShowHelp(WORD command, LONG_PTR data) {
    bool result = false;
    TCustomForm* active = TheScreen ? TheScreen->ActiveCustomForm() : nullptr;
    bool callHelp = true;
    if (active && active->OnHelp.Assigned())
        callHelp = active->OfferHelp(command, data, &result);
    else if (HelpHook.Assigned())
        HelpHook(command, data, &callHelp, &result);
    if (!callHelp) return result;
    auto data32 = static_cast<ULONG_PTR>(data);
    if (active && active->HandleAllocated() && !active->HelpFile().empty())
        return WinHelpA(active->Handle(), active->HelpFile().c_str(), command, data32) != FALSE;
    if (!FHelpPath.empty()) {
        HWND owner = FPrimaryForm ? FPrimaryForm->Handle() : FAppWindow;
        return WinHelpA(owner, FHelpPath.c_str(), command, data32) != FALSE;
    }
    if (!FOwnsAppWindow && FAppWindow) PostMessageA(FAppWindow, AM_HELP, command, data);
    return false;
}

bool TApplication::TryShortcut(TMessage& keyMessage) {
    bool handled = false;
    if (ShortcutHook.Assigned()) ShortcutHook(&keyMessage, &handled);
    if (!handled && FPrimaryForm && FPrimaryForm->HandleAllocated() &&
        IsWindowEnabled(FPrimaryForm->Handle()))
        handled = FPrimaryForm->ClaimShortcut(keyMessage);
    return handled;
}
