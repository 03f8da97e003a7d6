// The application object: its window, forms, the message loop, exception
// routing and the modal message box, observed through the host's windows,
// queue and journal.
#include "app_fixture.h"

#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

bool MenuHas(HMENU menu, UINT command) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == command) return true;
    return false;
}

TEST_F(ApplicationTest, StartUpMakesAHiddenZeroSizedWindowAtTheScreenCentre) {
    char className[64] = {};
    GetClassNameA(appWindow, className, sizeof(className));
    EXPECT_STREQ(className, "TApplication");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(appWindow, GWL_STYLE)), 0x84CA0000u);
    EXPECT_FALSE(IsWindowVisible(appWindow));
    RECT rect{};
    GetWindowRect(appWindow, &rect);
    int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    EXPECT_EQ(rect.left, x);
    EXPECT_EQ(rect.top, y);
    EXPECT_EQ(rect.right, x);
    EXPECT_EQ(rect.bottom, y);

    char path[261];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string title = DeriveTitle(path, length);
    char text[256] = {};
    GetWindowTextA(appWindow, text, sizeof(text));
    EXPECT_EQ(text, title);
    EXPECT_EQ(app->ReadTitle(), title);
    EXPECT_EQ(app->ProgramFilePath(), std::string(path, length));

    HMENU menu = GetSystemMenu(appWindow, FALSE);
    EXPECT_FALSE(MenuHas(menu, SC_MAXIMIZE));
    EXPECT_FALSE(MenuHas(menu, SC_SIZE));
    EXPECT_EQ(MenuHas(menu, SC_MOVE), !NewShellUI);
    EXPECT_TRUE(MenuHas(menu, SC_MINIMIZE));

    ASSERT_TRUE(app->HintsOn());
    ASSERT_NE(app->HintPopup(), nullptr);
    EXPECT_EQ(app->HintPopup()->Color(), static_cast<TColor>(0x80000018));
    EXPECT_EQ(app->HintPopup()->Owner(), app);
    EXPECT_EQ(app->PrimaryForm(), nullptr);
}

TEST_F(ApplicationTest, ShutdownDestroysTheFormsAndThenTheWindow) {
    TTestForm* form = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, form);
    HWND formWindow = form->Handle();
    StopFormsModule();
    EXPECT_FALSE(IsWindow(formWindow));
    EXPECT_EQ(TheScreen->CustomFormCount(), 0);
    EXPECT_EQ(app->ComponentCount(), 0);
    ReleaseAppForms(); // from the exit chain as well: nothing is left to destroy
    EXPECT_EQ(app->ComponentCount(), 0);
    EXPECT_TRUE(IsWindow(appWindow));
    StopControlsModule();
    EXPECT_FALSE(IsWindow(appWindow));
    EXPECT_EQ(TheApplication, nullptr);
    EXPECT_EQ(TheScreen, nullptr);
    StartControlsModule(); // the fixture stops the modules again
    StartFormsModule();
}

TEST_F(ApplicationTest, PresentExceptionShowsTheMessageWithItsPeriodUnderTheTitle) {
    // "\x81\x42" is the Japanese full stop: a double-byte character, above ".".
    const std::pair<const char*, const char*> cases[] = {{"Abc", "Abc."},
                                                         {"Abc.", "Abc."},
                                                         {"Abc!", "Abc!"},
                                                         {"", ""},
                                                         {"Abc\x81\x42", "Abc\x81\x42."}};
    for (const auto& [message, shown] : cases)
        app->PresentException(Exception(message));
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), std::size(cases));
    for (size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(cases[i].first);
        EXPECT_EQ(boxes[i].text, cases[i].second);
        EXPECT_EQ(boxes[i].caption, app->ReadTitle());
        EXPECT_EQ(boxes[i].flags, 0x10);
        EXPECT_EQ(boxes[i].ownerClass, "TApplication");
    }
}

TEST_F(ApplicationTest, RouteExceptionDropsEAbortButStillCancelsTheCapture) {
    TRecordingControl* control = NewComponent<TRecordingControl>(app);
    SetCapture(control->Handle());
    try {
        throw EAbort("silent");
    } catch (...) {
        app->RouteException(control);
    }
    EXPECT_TRUE(ShownBoxes().empty());
    EXPECT_NE(std::find(control->received.begin(), control->received.end(), WM_CANCELMODE),
              control->received.end());
}

TEST_F(ApplicationTest, RouteExceptionHandsExceptionsToTheErrorHookInsteadOfShowing) {
    struct Recorder : TObject {
        std::vector<std::string> seen;
        TObject* sender = nullptr;
        void Record(TObject* from, Exception* exception) {
            sender = from;
            seen.push_back(exception->Message());
        }
    } recorder;
    app->ErrorHook = BindEvent<&Recorder::Record, TExceptionEvent>(&recorder);
    try {
        throw EReadError("bad data");
    } catch (...) {
        app->RouteException(app);
    }
    EXPECT_EQ(recorder.seen, std::vector<std::string>{"bad data"});
    EXPECT_EQ(recorder.sender, app);
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(ApplicationTest, RouteExceptionReportsForeignExceptionsInATaskModalBox) {
    try {
        throw std::runtime_error("not ours");
    } catch (...) {
        app->RouteException(app);
    }
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].ownerClass, "");
    EXPECT_EQ(boxes[0].caption, LoadResString(SExceptionTitle));
    EXPECT_EQ(boxes[0].flags, 0x2010);
    EXPECT_EQ(boxes[0].text.rfind("std::runtime_error", 0), 0u) << boxes[0].text;
    // No fault address is known for a C++ exception: the text says so.
    char path[261];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string program(path, length);
    std::string module = program.substr(program.find_last_of('\\') + 1);
    std::string rest = FormatResString(SExceptionAtUnknownAddress,
                                       {std::string(), module, std::string(), std::string()});
    EXPECT_TRUE(boxes[0].text.ends_with(rest)) << boxes[0].text;
}

TEST_F(ApplicationTest, ShutdownMarksEveryFormBeforeDestroyingAndKeepsTheApplicationReachable) {
    // What a component sees of the shutdown while it is destroyed.
    struct Seen {
        bool applicationReachable = false;
        bool siblingMarked = false;
        bool destroyed = false;
    };
    static Seen first, second;
    first = second = Seen{};
    struct TWitness : TPlainComponent {
        Seen* seen = nullptr;
        TComponent* sibling = nullptr;
        void Destroy() override {
            seen->destroyed = true;
            seen->applicationReachable = TheApplication != nullptr;
            seen->siblingMarked = !sibling || sibling->HasState(lsDestroying);
            TPlainComponent::Destroy();
        }
    };
    auto* a = new TWitness();
    a->Create(app);
    auto* b = new TWitness();
    b->Create(app);
    a->seen = &first;
    b->seen = &second;
    // The forms module's shutdown destroys the last first: b sees a marked.
    b->sibling = a;
    ReleaseAppForms();
    EXPECT_TRUE(second.destroyed);
    EXPECT_TRUE(second.siblingMarked);
    EXPECT_TRUE(app->HasState(lsDestroying));

    auto* late = new TWitness();
    late->Create(app);
    late->seen = &first;
    first = Seen{};
    // The controls module destroys the application object and, with it, what
    // it still owns.
    StopControlsModule();
    EXPECT_TRUE(first.destroyed);
    EXPECT_TRUE(first.applicationReachable);
    EXPECT_EQ(TheApplication, nullptr);
}

TEST_F(ApplicationTest, InstantiateFormThatRaisesClearsTheVariableAndKeepsNoForm) {
    TForm* variable = reinterpret_cast<TForm*>(&variable); // anything but null
    int ownedBefore = app->ComponentCount();
    EXPECT_THROW(app->InstantiateForm(&TFailingForm::ClassInfo, variable), EReadError);
    EXPECT_EQ(variable, nullptr);
    EXPECT_EQ(app->PrimaryForm(), nullptr);
    EXPECT_EQ(app->ComponentCount(), ownedBefore);
    EXPECT_EQ(TheScreen->CustomFormCount(), 0);
}

TEST_F(ApplicationTest, InstantiateFormThatRaisesKeepsThePrimaryFormThere) {
    TTestForm* primary = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, primary);
    ASSERT_EQ(app->PrimaryForm(), primary);
    TForm* failed = primary;
    EXPECT_THROW(app->InstantiateForm(&TFailingForm::ClassInfo, failed), EReadError);
    EXPECT_EQ(failed, nullptr);
    EXPECT_EQ(app->PrimaryForm(), primary);
    EXPECT_EQ(TheScreen->CustomFormCount(), 1);
}

TEST_F(ApplicationTest, AnExceptionOfTheIdleHookIsShownAndTheIdleStepEnds) {
    struct Raiser : TObject {
        int calls = 0;
        void Idle(TObject*, bool*) {
            ++calls;
            throw EReadError("idle failed");
        }
    } raiser;
    app->IdleHook = BindEvent<&Raiser::Idle, TIdleEvent>(&raiser);
    PostMessageA(appWindow, WM_NULL, 0, 0); // WaitMessage returns at once
    app->IdleStep();
    EXPECT_EQ(raiser.calls, 1);
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "idle failed.");
    EXPECT_EQ(boxes[0].flags, 0x10);
    app->IdleHook = TIdleEvent{};
}

TEST_F(ApplicationTest, OnlyTheFirstFormBecomesThePrimaryForm) {
    TPlainComponent* component = nullptr;
    app->InstantiateForm(&TPlainComponent::ClassInfo, component);
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(app->PrimaryForm(), nullptr);

    TTestForm* first = nullptr;
    TTestForm* second = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, first);
    app->InstantiateForm(&TTestForm::ClassInfo, second);
    EXPECT_EQ(app->PrimaryForm(), first);
    EXPECT_TRUE(first->HandleAllocated());
    EXPECT_EQ(GetWindow(first->Handle(), GW_OWNER), appWindow);
    EXPECT_FALSE(second->HandleAllocated());
    EXPECT_EQ(first->Owner(), app);
    EXPECT_EQ(second->Owner(), app);
}

TEST_F(ApplicationTest, TheFormVariableHoldsTheFormWhileItIsCreated) {
    static TTestForm* variable = nullptr;
    static bool sawItself = false;
    struct Watcher : TObject {
        void Created(TObject* sender) { sawItself = sender == variable; }
    } watcher;
    // The creation handler runs inside InstantiateForm, before it returns.
    variable = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, [&](TComponent* created) {
        variable = static_cast<TTestForm*>(created);
        if (variable) variable->OnCreate = BindEvent<&Watcher::Created, TNotifyEvent>(&watcher);
    });
    EXPECT_TRUE(sawItself);
}

TEST_F(ApplicationTest, EnterMessageLoopWithoutPrimaryFormReturnsAtOnce) {
    app->EnterMessageLoop();
    EXPECT_FALSE(app->InLoop());
    EXPECT_FALSE(app->QuitRequested());
    EXPECT_FALSE(IsWindowVisible(appWindow));
}

struct ShowCase {
    int command;
    bool formVisible, zoomed, appIconic;
};

class StartupShowCommandTest : public ApplicationTest,
                               public ::testing::WithParamInterface<ShowCase> {};

TEST_P(StartupShowCommandTest, DecidesHowThePrimaryFormIsRevealed) {
    const ShowCase& c = GetParam();
    TTestForm* form = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, form);
    StartupShowCommand = c.command;
    PostQuitMessage(0); // the loop runs until it takes the WM_QUIT
    app->EnterMessageLoop();
    EXPECT_TRUE(app->QuitRequested());
    EXPECT_FALSE(app->InLoop());
    EXPECT_EQ(form->Visible(), c.formVisible);
    EXPECT_EQ(IsWindowVisible(form->Handle()) != 0, c.formVisible);
    EXPECT_EQ(IsZoomed(form->Handle()) != 0, c.zoomed);
    EXPECT_EQ(IsIconic(appWindow) != 0, c.appIconic);
    EXPECT_TRUE(IsWindowVisible(appWindow));
}

INSTANTIATE_TEST_SUITE_P(Commands, StartupShowCommandTest,
                         ::testing::Values(ShowCase{SW_SHOWDEFAULT, true, false, false},
                                           ShowCase{SW_SHOWNORMAL, true, false, false},
                                           ShowCase{SW_SHOWMAXIMIZED, true, true, false},
                                           ShowCase{SW_SHOWMINNOACTIVE, false, false, true}));

TEST_F(ApplicationTest, DrainMessageQueueMeetsWMQuitAndGoesOn) {
    static std::vector<UINT> seen;
    seen.clear();
    struct Counter : TObject {
        bool See(TMessage* message) {
            if (message->Msg >= WM_USER) seen.push_back(message->Msg);
            return false;
        }
    } counter;
    ScopedMessageHook hook(app, BindMethod<&Counter::See>(&counter));
    PostMessageA(appWindow, WM_USER + 1, 0, 0);
    PostMessageA(appWindow, WM_QUIT, 0, 0);
    PostMessageA(appWindow, WM_USER + 2, 0, 0);
    app->DrainMessageQueue();
    EXPECT_TRUE(app->QuitRequested());
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(ApplicationTest, RequestQuitPostsWMQuitOnlyWhenEveryGuardAgrees) {
    static bool answer = false;
    static int asked = 0;
    TTerminateGuard guard{nullptr, [] {
                              ++asked;
                              return answer;
                          }};
    AddTerminateGuard(guard);
    app->RequestQuit();
    app->DrainMessageQueue();
    EXPECT_FALSE(app->QuitRequested());
    answer = true;
    app->RequestQuit();
    app->DrainMessageQueue();
    EXPECT_TRUE(app->QuitRequested());
    EXPECT_EQ(asked, 2);
    RemoveTerminateGuard(guard);
    EXPECT_EQ(TerminateGuards, nullptr);
}

TEST(WindowList, NestedDisablingReenablesExactlyWhatEachCallDisabled) {
    HWND shown = MakeWindow(WS_POPUP | WS_VISIBLE);
    HWND alreadyDisabled = MakeWindow(WS_POPUP | WS_VISIBLE | WS_DISABLED);
    HWND hidden = MakeWindow(WS_POPUP);
    TWindowList* outer = DisableOtherWindows(nullptr);
    EXPECT_FALSE(IsWindowEnabled(shown));
    EXPECT_TRUE(IsWindowEnabled(hidden));

    HWND later = MakeWindow(WS_POPUP | WS_VISIBLE);
    HWND excepted = MakeWindow(WS_POPUP | WS_VISIBLE);
    TWindowList* inner = DisableOtherWindows(excepted);
    EXPECT_FALSE(IsWindowEnabled(later));
    EXPECT_TRUE(IsWindowEnabled(excepted));
    ReenableWindows(inner);
    EXPECT_TRUE(IsWindowEnabled(later));
    EXPECT_FALSE(IsWindowEnabled(shown));
    ReenableWindows(outer);
    EXPECT_TRUE(IsWindowEnabled(shown));
    EXPECT_FALSE(IsWindowEnabled(alreadyDisabled));
    EXPECT_TRUE(IsWindowEnabled(hidden));

    // A listed window destroyed before the re-enabling is passed over.
    TWindowList* again = DisableOtherWindows(nullptr);
    DestroyWindow(shown);
    ReenableWindows(again);
    EXPECT_TRUE(IsWindowEnabled(later));
    DestroyMadeWindows();
}

TEST_F(ApplicationTest, ModalMessageBoxIsOwnedByTheAppWindowAndRestoresTheOthers) {
    HWND shown = MakeWindow(WS_POPUP | WS_VISIBLE);
    HWND disabled = MakeWindow(WS_POPUP | WS_VISIBLE | WS_DISABLED);
    SetActiveWindow(shown);
    app->ModalMessageBox("text", "Information", MB_ICONINFORMATION);
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].ownerClass, "TApplication");
    EXPECT_EQ(boxes[0].text, "text");
    EXPECT_EQ(boxes[0].caption, "Information");
    EXPECT_EQ(boxes[0].flags, 0x40);
    EXPECT_TRUE(IsWindowEnabled(shown));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    EXPECT_EQ(GetActiveWindow(), shown);
}

TEST_F(ApplicationTest, ModalMessageBoxAddsRightToLeftReadingOnlyOnMiddleEastSystems) {
    app->SetReadingOrder(1);
    bool middleEast = MiddleEastLocale;
    MiddleEastLocale = false;
    app->ModalMessageBox("a", "b", MB_OK);
    MiddleEastLocale = true;
    app->ModalMessageBox("a", "b", MB_OK);
    MiddleEastLocale = middleEast;
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].flags, 0);
    EXPECT_EQ(boxes[1].flags, MB_RTLREADING);
}

} // namespace

// The window class is registered once per process: this test runs in a
// process of its own that never registered it, and first takes every class
// atom the window system has, so that registering it fails for real.
TEST(ApplicationWindowClass, ARegistrationThatFailsRaisesTheClassErrorAndLeavesNoApplication) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            HINSTANCE instance = GetModuleHandleA(nullptr);
            int taken = 0;
            for (;; ++taken) {
                std::string name = "Filler" + std::to_string(taken);
                WNDCLASSA filler{};
                filler.lpfnWndProc = &DefWindowProcA;
                filler.hInstance = instance;
                filler.lpszClassName = name.c_str();
                if (!RegisterClassA(&filler) || taken > 0x4000) break;
            }
            bool full = taken <= 0x4000 && GetLastError() == ERROR_NOT_ENOUGH_MEMORY;
            std::string message;
            try {
                StartControlsModule();
            } catch (const EOutOfResources& error) {
                message = error.Message();
            }
            WNDCLASSA got{};
            bool good = full && message == LoadResString(SWindowClass) && !TheApplication &&
                        !GetClassInfoA(instance, "TApplication", &got);
            std::fprintf(stderr, "taken %d message %s\n", taken, message.c_str());
            std::fflush(stderr);
            _exit(good ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
