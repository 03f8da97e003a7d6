// The application window's answers to the messages Windows and the framework
// send it.
#include "app_fixture.h"

#include "runtime/exceptions.h"

namespace {

bool IsTopmost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

TEST_F(ApplicationTest, EndSessionWithNonZeroWParamRequestsTheQuit) {
    SendMessageA(appWindow, WM_ENDSESSION, 0, 0);
    EXPECT_FALSE(app->QuitRequested());
    SendMessageA(appWindow, WM_ENDSESSION, 1, 0);
    EXPECT_TRUE(app->QuitRequested());
    EXPECT_TRUE(IsWindow(appWindow));
}

TEST_F(ApplicationTest, DisablingTheAppWindowDisablesTheOthersAndEnablingRestoresExactlyThem) {
    HWND shown = MakeWindow(WS_POPUP | WS_VISIBLE);
    HWND disabled = MakeWindow(WS_POPUP | WS_VISIBLE | WS_DISABLED);
    HWND owned = MakeWindow(WS_POPUP | WS_VISIBLE, 0, appWindow);
    HWND topmost = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, appWindow);
    SendMessageA(appWindow, WM_ENABLE, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(owned));
    EXPECT_FALSE(IsWindowEnabled(shown));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    EXPECT_FALSE(IsTopmost(topmost));
    EXPECT_EQ(app->TopmostDepth(), 1);
    SendMessageA(appWindow, WM_ENABLE, 1, 0);
    EXPECT_TRUE(IsWindowEnabled(shown));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    EXPECT_TRUE(IsWindowEnabled(owned));
    EXPECT_TRUE(IsWindowEnabled(topmost));
    EXPECT_TRUE(IsTopmost(topmost));
    EXPECT_EQ(app->TopmostDepth(), 0);
}

TEST_F(ApplicationTest, SystemCommandsMinimiseAndRestoreWhateverTheirLowBits) {
    for (WPARAM lowBits : {0u, 3u, 0xFu}) {
        SCOPED_TRACE(lowBits);
        SendMessageA(appWindow, WM_SYSCOMMAND, SC_MINIMIZE | lowBits, 0);
        EXPECT_TRUE(IsIconic(appWindow));
        SendMessageA(appWindow, WM_SYSCOMMAND, SC_RESTORE | lowBits, 0);
        EXPECT_FALSE(IsIconic(appWindow));
    }
    RECT rect{};
    GetWindowRect(appWindow, &rect);
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(rect.right - rect.left, 0);
}

TEST_F(ApplicationTest, TopmostWindowsLeaveTheBandAlsoWithNoWindowAboveTheAnchor) {
    HWND owned = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, appWindow);
    // The application window first in the z-order, its owned window below it.
    SetWindowPos(appWindow, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    ASSERT_EQ(GetWindow(appWindow, GW_HWNDPREV), nullptr);
    app->SuspendTopmosts();
    EXPECT_FALSE(IsTopmost(owned));
    app->ResumeTopmosts();
    EXPECT_TRUE(IsTopmost(owned));
}

TEST_F(ApplicationTest, PointerMessagesAreTakenOnlyFromTheFrameworksOwnSend) {
    struct Hooked : TObject {
        bool See(TMessage*) { return false; }
    } hooked;
    TMessageHook hook{BindMethod<&Hooked::See>(&hooked)};
    TMessage key{WM_KEYDOWN, 'A', 0, 0};
    // Posted (as another process would), with a pointer that means nothing
    // here and with one that does, and dispatched by a loop other than the
    // framework's: ignored, nothing dereferenced, no hook added.
    PostMessageA(appWindow, AM_HOOK, 0, 0x10);
    PostMessageA(appWindow, AM_SHORTCUT, 0, 0x10);
    PostMessageA(appWindow, AM_HOOK, 0, reinterpret_cast<LPARAM>(&hook));
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_EQ(app->MessageHookCount(), 0);
    // Sent by anyone but the framework, or without a pointer: ignored too.
    EXPECT_EQ(SendMessageA(appWindow, AM_HOOK, 0, reinterpret_cast<LPARAM>(&hook)), 0);
    EXPECT_EQ(SendPointerMessage(appWindow, AM_HOOK, 0, nullptr), 0);
    EXPECT_EQ(app->MessageHookCount(), 0);
    // The framework's own send is taken.
    SendPointerMessage(appWindow, AM_HOOK, 0, &hook);
    EXPECT_EQ(app->MessageHookCount(), 1);
    SendPointerMessage(appWindow, AM_HOOK, 1, &hook);
    EXPECT_EQ(app->MessageHookCount(), 0);
    EXPECT_EQ(SendPointerMessage(appWindow, AM_SHORTCUT, 0, &key), 0);
}

TEST_F(ApplicationTest, OtherSystemCommandsReachDefWindowProc) {
    // SC_CLOSE goes to DefWindowProcA, which sends WM_CLOSE: the primary form
    // is asked to close, and closing the primary form ends the loop.
    TTestForm* form = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, form);
    SendMessageA(appWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindow(appWindow));
}

TEST_F(ApplicationTest, SuspendTopmostsLeavesThePrimaryFormAndSuspendAllTopmostsTakesIt) {
    TTestForm* form = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, form);
    HWND formWindow = form->Handle();
    SetWindowPos(formWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND other = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, appWindow);
    SetWindowPos(formWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(GetWindow(other, GW_HWNDPREV), formWindow); // the form first, the other below
    // The primary form ends the walk: nothing below it is listed.
    app->SuspendTopmosts();
    EXPECT_TRUE(IsTopmost(formWindow));
    EXPECT_TRUE(app->TopmostWindows().empty());
    app->ResumeTopmosts();
    app->SuspendAllTopmosts();
    EXPECT_FALSE(IsTopmost(formWindow));
    EXPECT_FALSE(IsTopmost(other));
    EXPECT_EQ(app->TopmostWindows().size(), 2u);
    app->ResumeTopmosts();
    EXPECT_TRUE(IsTopmost(formWindow));
    EXPECT_TRUE(IsTopmost(other));
}

TEST_F(ApplicationTest, EraseBackgroundIsPassedOnAsIconEraseBackground) {
    TMessage message{WM_ERASEBKGND, 0, 0, 0};
    app->HandleAppMessage(message);
    EXPECT_EQ(message.Msg, static_cast<UINT>(WM_ICONERASEBKGND));
}

TEST_F(ApplicationTest, TopmostWindowsStaySuspendedUntilTheLastResume) {
    HWND first = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, appWindow);
    HWND second = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, appWindow);
    HWND plain = MakeWindow(WS_POPUP | WS_VISIBLE, 0, appWindow);
    HWND foreign = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    ASSERT_EQ(GetWindow(first, GW_HWNDPREV), second); // newer windows come first
    app->SuspendTopmosts();
    app->SuspendTopmosts();
    EXPECT_FALSE(IsTopmost(first));
    EXPECT_FALSE(IsTopmost(second));
    EXPECT_TRUE(IsTopmost(foreign));
    EXPECT_EQ(app->TopmostWindows().size(), 2u);
    app->ResumeTopmosts();
    EXPECT_FALSE(IsTopmost(first));
    app->ResumeTopmosts();
    EXPECT_TRUE(IsTopmost(first));
    EXPECT_TRUE(IsTopmost(second));
    EXPECT_FALSE(IsTopmost(plain));
    EXPECT_EQ(GetWindow(first, GW_HWNDPREV), second); // the order is kept
    EXPECT_TRUE(app->TopmostWindows().empty());
    app->ResumeTopmosts(); // one too many changes nothing
    EXPECT_EQ(app->TopmostDepth(), 0);
}

TEST_F(ApplicationTest, TopmostWindowsLeaveTheBandWhenNoOrdinaryOwnedWindowLiesBelowThem) {
    HWND first = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, appWindow);
    HWND second = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, appWindow);
    // A window of no owner right above the application window becomes the anchor.
    HWND foreign = MakeWindow(WS_POPUP | WS_VISIBLE);
    ASSERT_EQ(GetWindow(appWindow, GW_HWNDPREV), foreign);
    app->SuspendTopmosts();
    EXPECT_FALSE(IsTopmost(first));
    EXPECT_FALSE(IsTopmost(second));
    EXPECT_FALSE(IsTopmost(foreign));
    app->ResumeTopmosts();
    EXPECT_TRUE(IsTopmost(first));
    EXPECT_TRUE(IsTopmost(second));
    EXPECT_EQ(GetWindow(first, GW_HWNDPREV), second);
}

TEST_F(ApplicationTest, DialogMessageQueriesOrSetsTheActiveDialog) {
    HWND dialog = MakeWindow(WS_POPUP);
    SendMessageA(appWindow, AM_DIALOG, 0, reinterpret_cast<LPARAM>(dialog));
    EXPECT_EQ(app->ActiveDialog(), dialog);
    EXPECT_EQ(SendMessageA(appWindow, AM_DIALOG, 1, 0), reinterpret_cast<LRESULT>(dialog));
    SendMessageA(appWindow, AM_DIALOG, 2, 0);
    EXPECT_EQ(app->ActiveDialog(), nullptr);
}

TEST_F(ApplicationTest, CloseWithoutPrimaryFormIsIgnoredAndWithOneEndsTheLoop) {
    SendMessageA(appWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(appWindow));
    app->DrainMessageQueue();
    EXPECT_FALSE(app->QuitRequested());

    TTestForm* form = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, form);
    SendMessageA(appWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(appWindow));
    app->DrainMessageQueue();
    EXPECT_TRUE(app->QuitRequested());
}

TEST_F(ApplicationTest, AnExceptionInMessageHandlingIsShownAndStaysInside) {
    struct Thrower : TObject {
        bool Hook(TMessage* message) {
            if (message->Msg == WM_USER + 7) throw EConvertError("hook failed");
            return false;
        }
    } thrower;
    TMessageHook hook{BindMethod<&Thrower::Hook>(&thrower)};
    SendPointerMessage(appWindow, AM_HOOK, 0, &hook);
    EXPECT_EQ(app->MessageHookCount(), 1);
    EXPECT_EQ(SendMessageA(appWindow, WM_USER + 7, 0, 0), 0);
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "hook failed.");
    SendPointerMessage(appWindow, AM_HOOK, 1, &hook);
    EXPECT_EQ(app->MessageHookCount(), 0);
}

TEST_F(ApplicationTest, AHookThatHandlesAMessageStopsItsHandling) {
    struct Swallower : TObject {
        bool Hook(TMessage* message) { return message->Msg == WM_ENDSESSION; }
    } swallower;
    TMessageHook hook{BindMethod<&Swallower::Hook>(&swallower)};
    app->AddMessageHook(hook);
    SendMessageA(appWindow, WM_ENDSESSION, 1, 0);
    EXPECT_FALSE(app->QuitRequested());
    app->RemoveMessageHook(hook);
    SendMessageA(appWindow, WM_ENDSESSION, 1, 0);
    EXPECT_TRUE(app->QuitRequested());
}

TEST_F(ApplicationTest, FirstUsableWindowPrefersWindowsOutsideTheTopmostBand) {
    EXPECT_EQ(app->FirstUsableWindow(nullptr), nullptr);
    HWND topmost = MakeWindow(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    MakeWindow(WS_POPUP);                            // hidden
    MakeWindow(WS_POPUP | WS_VISIBLE | WS_DISABLED); // disabled
    EXPECT_EQ(app->FirstUsableWindow(nullptr), topmost);
    HWND plain = MakeWindow(WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(app->FirstUsableWindow(nullptr), plain);
    EXPECT_EQ(app->FirstUsableWindow(plain), topmost);
}

TEST_F(ApplicationTest, ShowHelpOpensTheHelpFileOwnedByThePrimaryForm) {
    EXPECT_FALSE(app->ShowHelp(HELP_CONTENTS, 0));
    EXPECT_TRUE(JournalEvents("help").empty());
    TTestForm* form = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, form);
    app->SetHelpPath("C:\\help\\product.hlp");
    SendMessageA(appWindow, AM_HELP, HELP_CONTEXT, 42);
    std::vector<JournalLine> help = JournalEvents("help");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].Bytes("file"), "C:\\help\\product.hlp");
    EXPECT_EQ(help[0].Number("command"), HELP_CONTEXT);
    EXPECT_EQ(help[0].Number("data"), 42);
}

TEST_F(ApplicationTest, ShortcutsGoToTheHookAndThenToTheEnabledPrimaryForm) {
    TTestForm* form = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, form);
    struct Claimer : TObject {
        int offered = 0;
        void Claim(TMessage* key, bool* handled) {
            ++offered;
            *handled = key->WParam == 'K';
        }
    } claimer;
    form->OnShortCut = BindEvent<&Claimer::Claim, TShortCutEvent>(&claimer);
    TMessage key{WM_KEYDOWN, 'K', 0, 0};
    EXPECT_EQ(SendPointerMessage(appWindow, AM_SHORTCUT, 0, &key), 1);
    key.WParam = 'L';
    EXPECT_EQ(SendPointerMessage(appWindow, AM_SHORTCUT, 0, &key), 0);
    EnableWindow(form->Handle(), FALSE);
    key.WParam = 'K';
    EXPECT_EQ(SendPointerMessage(appWindow, AM_SHORTCUT, 0, &key), 0);
    EXPECT_EQ(claimer.offered, 2);
}

TEST_F(ApplicationTest, ActivationSuspendsTopmostsAndPostsTheHookMessages) {
    static int entered = 0, left = 0;
    struct Counter : TObject {
        void Enter(TObject*) { ++entered; }
        void Leave(TObject*) { ++left; }
    } counter;
    app->EnterHook = BindEvent<&Counter::Enter, TNotifyEvent>(&counter);
    app->LeaveHook = BindEvent<&Counter::Leave, TNotifyEvent>(&counter);
    SendMessageA(appWindow, WM_ACTIVATEAPP, 0, 0);
    EXPECT_FALSE(app->InForeground());
    EXPECT_EQ(app->TopmostDepth(), 1);
    app->DrainMessageQueue();
    EXPECT_EQ(left, 1);
    SendMessageA(appWindow, WM_ACTIVATEAPP, 1, 0);
    EXPECT_TRUE(app->InForeground());
    EXPECT_EQ(app->TopmostDepth(), 0);
    app->DrainMessageQueue();
    EXPECT_EQ(entered, 1);
}

} // namespace
