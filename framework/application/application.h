// TApplication: the application object. It owns the hidden application
// window (the owner of every form and message box), runs the message loop,
// creates forms and records the first as the primary form, routes the
// exceptions that reach the framework's boundaries to a message box, and
// supplies the program title, the program file path and the modal message box.
#pragma once

#include "framework/application/window_list.h"
#include "framework/classes/component.h"
#include "framework/controls/bound_method.h"
#include "framework/controls/hint_window.h"
#include "framework/controls/icon.h"
#include "framework/controls/messages.h"
#include "framework/forms/application_link.h"
#include "framework/forms/form.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Exception;

// A message hook: a bound method (code then object) that sees every message
// of the application window first; true means handled, stop.
struct TMessageHook {
    TMethod Method;
    bool operator()(TMessage& message) const {
        return reinterpret_cast<bool (*)(TObject*, TMessage*)>(Method.Code)(Method.Data, &message);
    }
    friend bool operator==(const TMessageHook&, const TMessageHook&) = default;
};

using TExceptionEvent = TEvent<TObject*, Exception*>;
using TMessageEvent = TEvent<MSG*, bool*>;
using TIdleEvent = TEvent<TObject*, bool*>;
using TActionEvent = TEvent<TObject*, bool*>;
using THintShowEvent = TEvent<std::string*, bool*>;

class TApplication : public TComponent, public TFormApplicationLink {
public:
    DECLARE_CLASS_INFO()

    // Sets the fields, loads the icon, derives the title and makes the window.
    void Create(TComponent* owner) override;
    // Closes help, switches hints off, destroys the owned forms, then the window.
    void Destroy() override;

    // --- The launcher's road -------------------------------------------------
    // Calls StartupHook when it is set.
    void RunStartupHook();
    // Creates a component of the class owned by the application; the variable
    // receives it before its construction runs, and null when construction
    // raises. The first TForm becomes the primary form.
    void InstantiateForm(const TClass* formClass, const std::function<void(TComponent*)>& store);
    template <class T> void InstantiateForm(const TClass* formClass, T*& variable) {
        InstantiateForm(formClass, [&variable](TComponent* created) {
            variable = created ? static_cast<T*>(As<T>(created)) : nullptr;
        });
    }
    // Reveals the primary form and runs the message loop until a quit is
    // requested; returns at once without a primary form.
    void EnterMessageLoop();
    // Dispatches one message, or runs one idle step when none is queued.
    void PumpOnce();
    // Dispatches queued messages until none is left; never waits.
    void DrainMessageQueue();
    // One step of the loop: takes a message and dispatches it; false when
    // none was queued.
    bool DispatchNextMessage(MSG& message);
    // Asks the terminate guards, then posts WM_QUIT.
    void RequestQuit() override;
    // The handler for an exception that reached a framework boundary (call
    // from inside a catch block).
    void RouteException(TObject* sender) override;
    // Shows the exception's message in a stop box captioned with the title.
    void PresentException(const Exception& exception);
    // MessageBoxA owned by the application window, with the other windows
    // disabled for its duration and the box on the active window's monitor.
    int ModalMessageBox(const char* text, const char* caption, UINT flags);
    // The full path of the running program file, whole however long it is.
    std::string ProgramFilePath() const;
    // The application title.
    std::string ReadTitle() const;
    TCustomForm* PrimaryForm() const override { return FPrimaryForm; }

    // --- The rest of the application object --------------------------------
    void CreateAppWindow();
    void IdleStep();
    void SetHintsOn(bool on);
    bool HintsOn() const { return FHintsOn; }
    void CancelHint();
    void TrackMouse();
    void UpdateFormActions();
    HICON CurrentIcon() override;
    HICON AppIconHandle() const override;
    void FollowFormVisibility() override;
    void ReleaseHintWindow() override;
    bool RevealsPrimaryForm() const override { return FRevealPrimaryForm; }
    HWND AppWindow() const override { return FAppWindow; }
    void ForgetControl(TObject* control) override;
    // Answers of the action hooks for an action, false when the hook is not set.
    bool ExecuteActionHook(TObject* action);
    bool UpdateActionHook(TObject* action);

    // --- The application window's messages --------------------------------
    void HandleAppMessage(TMessage& message);
    void ApplySettingChange(TMessage& message);
    HWND FirstUsableWindow(HWND excepted) const override;
    void AddMessageHook(const TMessageHook& hook);
    void RemoveMessageHook(const TMessageHook& hook);
    void Iconify();
    void Uniconify();
    void ShowWithoutAnimation(HWND window, int command);
    void BringForward();
    void SuspendTopmosts();
    void SuspendAllTopmosts();
    void ResumeTopmosts();
    // The icon object's change notification.
    void IconReplaced(TObject* sender);
    void BroadcastToForms(UINT message);
    bool ShowHelp(WORD command, LONG_PTR data);
    bool TryShortcut(TMessage& keyMessage);

    // --- State ---------------------------------------------------------------
    bool QuitRequested() const { return FQuitRequested; }
    bool InLoop() const { return FInLoop; }
    bool InForeground() const { return FInForeground; }
    bool OwnsAppWindow() const { return FOwnsAppWindow; }
    THintWindow* HintPopup() const { return FHintPopup; }
    TIcon* AppIcon() const { return FAppIcon; }
    const std::string& HintText() const { return FHintText; }
    TControl* HoverControl() const { return FHoverControl; }
    HWND ActiveDialog() const { return FActiveDialog; }
    const std::vector<HWND>& TopmostWindows() const { return FTopmostWindows; }
    int TopmostDepth() const { return FTopmostDepth; }
    int MessageHookCount() const { return static_cast<int>(FMessageHooks.size()); }
    const std::string& HelpPath() const { return FHelpPath; }
    void SetHelpPath(const std::string& path) { FHelpPath = path; }
    uint8_t ReadingOrder() const { return FReadingOrder; }
    void SetReadingOrder(uint8_t order) { FReadingOrder = order; }
    void SetRevealPrimaryForm(bool reveal) { FRevealPrimaryForm = reveal; }
    void SetTrackMetricChanges(bool track) { FTrackMetricChanges = track; }
    void SetTrackLocaleChanges(bool track) { FTrackLocaleChanges = track; }

    // The hook slots: all empty after construction; nothing in the program sets them.
    TActionEvent ActionExecuteHook;
    TActionEvent ActionUpdateHook;
    TExceptionEvent ErrorHook;
    TMessageEvent MessageHook;
    THelpEvent HelpHook;
    TNotifyEvent HintChangeHook;
    TIdleEvent IdleHook;
    TNotifyEvent LeaveHook;
    TNotifyEvent EnterHook;
    TNotifyEvent IconifyHook;
    TNotifyEvent UniconifyHook;
    TShortCutEvent ShortcutHook;
    THintShowEvent HintShowHook;

private:
    void SuspendTopmostsOf(bool includePrimaryForm);
    void HandleSystemCommand(TMessage& message);
    void CarryOutPrimarySystemCommand(TMessage& message);
    void OfferAction(TMessage& message);
    bool PreviewMdiAccelerator(MSG& message);
    bool PreviewKey(MSG& message);
    bool PreviewDialog(MSG& message);
    void ShowForeignException();

    HWND FAppWindow = nullptr;
    uint8_t FReadingOrder = 0;
    WNDPROC FWindowThunk = nullptr;
    TCustomForm* FPrimaryForm = nullptr;
    TControl* FHoverControl = nullptr;
    std::string FHelpPath;
    std::string FHintText;
    bool FHintOpen = false;
    bool FTrackLocaleChanges = true;
    bool FTrackMetricChanges = true;
    bool FRevealPrimaryForm = true;
    int32_t FHintBackground = static_cast<int32_t>(0x80000018);
    TControl* FHintOwnerControl = nullptr;
    RECT FHintCursorArea{};
    int32_t FHintLifetime = 2500;
    int32_t FHintWait = 500;
    bool FHintShowsShortcuts = true;
    int32_t FHintQuickWait = 0;
    THintWindow* FHintPopup = nullptr;
    bool FHintsOn = false;
    uint8_t FHintTimerPhase = 0;
    uint16_t FHintTimerId = 0;
    std::string FStoredTitle;
    std::vector<HWND> FTopmostWindows;
    int32_t FTopmostDepth = 0;
    TIcon* FAppIcon = nullptr;
    bool FQuitRequested = false;
    bool FInForeground = true;
    bool FOwnsAppWindow = false;
    bool FInLoop = false;
    std::vector<TMessageHook> FMessageHooks;
    TWindowList* FDisabledWindows = nullptr;
    HWND FActiveDialog = nullptr;
};

// The title derived from the program file's path as GetModuleFileNameA left
// it in a buffer of bufferSize bytes (which it may fill without a terminating
// zero): the name after the last backslash, up to its first period, the
// first character as it is and the rest lower-cased; backslashes and periods
// that are trail bytes of double-byte characters do not count.
std::string DeriveTitle(const char* buffer, size_t bufferSize);

// The runtime's generic report of the exception being handled: a task-modal
// stop box without an owner, titled "アプリケーション エラー", naming the
// exception's class and the program's module, with message after them
// (empty for an exception that is not an Exception).
void ShowRuntimeErrorReport(const std::string& message);

// The report of an exception that ended a module's start step or the main
// function (RunProgram's report): an Exception is shown as PresentException
// shows it while the application object exists, and by the generic report
// with its message before; any other exception by the generic report.
void ReportUncaughtException();

// The text of an exception message as PresentException shows it: a period is
// appended unless the text is empty or ends in "." or a single byte at or
// below it.
std::string WithClosingPeriod(const std::string& text);

// --- Process-wide items ------------------------------------------------------

// The application object; set by the controls module's start-up, null after
// its shutdown.
extern TApplication* TheApplication;
// Called by RunStartupHook when set; nothing in the program sets it.
extern void (*StartupHook)();
// The show command the process was started with (STARTUPINFO's wShowWindow
// when STARTF_USESHOWWINDOW is given, else SW_SHOWDEFAULT).
extern int StartupShowCommand;
// Windows major version 4 or later.
extern bool NewShellUI;
// The system supports right-to-left languages.
extern bool MiddleEastLocale;
// Whether FollowFormVisibility last showed the application window.
extern bool AppWindowShown;

// A procedure that RequestQuit asks before it ends the loop; false keeps the
// loop running. The guards form a singly linked list.
struct TTerminateGuard {
    TTerminateGuard* Next;
    bool (*Guard)();
};
extern TTerminateGuard* TerminateGuards;
// Adds a guard at the end of the list / takes it out.
void AddTerminateGuard(TTerminateGuard& guard);
void RemoveTerminateGuard(TTerminateGuard& guard);

// True for the application messages whose lParam points to an object of
// the sending thread (AM_SHORTCUT, AM_HOOK): they are only ever sent.
bool CarriesOwnThreadPointer(UINT message);
// Sends one of those messages with a pointer to a window of this thread. The
// application window takes the pointer only from such a send; the same
// message posted, sent from elsewhere or sent with SendMessageA is ignored.
LRESULT SendPointerMessage(HWND window, UINT message, WPARAM wParam, const void* pointer);

// Reads StartupShowCommand, NewShellUI and MiddleEastLocale from the system.
void ReadStartupSettings();
