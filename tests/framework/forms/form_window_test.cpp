// The form's window: class and styles from the form's properties, showing by
// Position and WindowState, the nested-change error, the move to the default
// monitor, closing and the release message. Observed through the host's
// windows and its journal.
#include "forms_fixture.h"

#include "framework/controls/bound_method.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <source_location>
#include <unistd.h>

namespace {

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

RECT RectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}
DWORD ExStyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
}

// A blank form that is not the primary one: the application makes the first
// form it creates its primary form.
TBlankForm* SecondaryForm(TApplication* app) {
    if (!app->PrimaryForm()) {
        TBlankForm* primary = nullptr;
        app->InstantiateForm(&TBlankForm::ClassInfo, primary);
    }
    TBlankForm* form = nullptr;
    app->InstantiateForm(&TBlankForm::ClassInfo, form);
    return form;
}

// Shows a form of the given bounds placed by the position; the caller's line
// is named when the place differs from the expected one.
void ExpectShownAt(TCustomForm* form, RECT bounds, TPosition position, POINT expected,
                   std::source_location where = std::source_location::current()) {
    ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "");
    form->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    form->SetPosition(position);
    form->SetVisible(true);
    EXPECT_EQ(form->Left(), expected.x);
    EXPECT_EQ(form->Top(), expected.y);
    EXPECT_EQ(RectOf(form->Handle()).left, expected.x);
    EXPECT_EQ(form->Position(), poDesigned);
}

TEST_F(FormsTest, TheLaunchersFormWindowIsMadeHiddenFromItsDescription) {
    TFormMain* form = Instantiate<TFormMain>();
    ASSERT_NE(form, nullptr);
    HWND window = form->Handle();
    EXPECT_EQ(ClassOf(window), "TFormMain");
    EXPECT_EQ(StyleOf(window), 0x06CF0000u);
    EXPECT_NE(ExStyleOf(window) & WS_EX_CONTROLPARENT, 0u);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), app->AppWindow());
    RECT rect = RectOf(window);
    EXPECT_EQ(rect.left, 192);
    EXPECT_EQ(rect.top, 107);
    EXPECT_EQ(rect.right - rect.left, 190);
    EXPECT_EQ(rect.bottom - rect.top, 129);
    EXPECT_EQ(TextOf(window), "Visible false");
    WNDCLASSA windowClass{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TFormMain", &windowClass));
    EXPECT_EQ(windowClass.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_BIG, 0),
              reinterpret_cast<LRESULT>(app->CurrentIcon()));

    // Shown by the message loop's reveal, it shows where it was described.
    form->SetVisible(true);
    std::vector<JournalLine> shows = JournalEvents("window_show");
    ASSERT_EQ(shows.size(), 2u); // the application window follows the form
    const JournalLine& shown = shows[0].Bytes("class") == "TFormMain" ? shows[0] : shows[1];
    EXPECT_EQ(shown.Bytes("class"), "TFormMain");
    EXPECT_EQ(shown.Number("x"), 192);
    EXPECT_EQ(shown.Number("y"), 107);
    EXPECT_EQ(shown.Number("width"), 190);
    EXPECT_EQ(shown.Number("height"), 129);
    EXPECT_EQ(shown.Bytes("caption"), "Visible false");
    EXPECT_EQ(shown.Bytes("owner_class"), "TApplication");
}

TEST_F(FormsTest, ScreenCentringPlacesTheFormOnceAndClampsAtTheEdge) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    TBlankForm* form = SecondaryForm(app);
    ExpectShownAt(form, {5, 6, 190, 129}, poScreenCenter, {417, 319});
    // Placed once: showing again keeps where it is.
    form->SetVisible(false);
    form->SetBounds(1, 2, 190, 129);
    form->SetVisible(true);
    EXPECT_EQ(form->Left(), 1);
    ExpectShownAt(SecondaryForm(app), {0, 0, 1100, 100}, poScreenCenter, {0, 334});
}

TEST_F(FormsTest, MainFormCentringWithoutAPrimaryFormCentresOnTheScreen) {
    TBlankForm* form = NewBlankForm<TBlankForm>(app);
    ASSERT_EQ(app->PrimaryForm(), nullptr);
    ExpectShownAt(form, {0, 0, 200, 100}, poMainFormCenter, {412, 334});
    ExpectShownAt(NewBlankForm<TBlankForm>(app), {0, 0, 200, 100}, poDesktopCenter, {412, 334});

    // With a primary form, the form is centred on it; so is one whose owner is no form.
    TBlankForm* primary = nullptr;
    app->InstantiateForm(&TBlankForm::ClassInfo, primary);
    primary->SetBounds(100, 100, 400, 300);
    ExpectShownAt(SecondaryForm(app), {0, 0, 200, 100}, poMainFormCenter, {200, 200});
    ExpectShownAt(SecondaryForm(app), {0, 0, 200, 100}, poOwnerFormCenter, {200, 200});
    // An owner form is the reference of poOwnerFormCenter.
    TBlankForm* owner = SecondaryForm(app);
    owner->SetBounds(500, 400, 300, 300);
    ExpectShownAt(NewBlankForm<TBlankForm>(owner), {0, 0, 200, 100}, poOwnerFormCenter, {550, 500});
    // Default placements place nothing here; Windows chose the size when the window was made.
    TBlankForm* sized = SecondaryForm(app);
    ExpectShownAt(sized, {7, 8, 200, 100}, poDefaultSizeOnly, {7, 8});
    EXPECT_EQ(sized->Width(), RectOf(sized->Handle()).right - 7);
    EXPECT_NE(sized->Width(), 200);
}

TEST_F(FormsTest, DefaultPositionsLeaveThePlaceAndTheSizeToWindows) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // Windows places an overlapped window with a default position at the
    // top left of the work area, and gives it three quarters of the work
    // area when the size is left to it too.
    TBlankForm* placed = SecondaryForm(app);
    ExpectShownAt(placed, {7, 8, 200, 100}, poDefaultPosOnly, {work.left, work.top});
    EXPECT_EQ(placed->Width(), 200);
    EXPECT_EQ(placed->Height(), 100);
    TBlankForm* sized = SecondaryForm(app);
    ExpectShownAt(sized, {7, 8, 200, 100}, poDefault, {work.left, work.top});
    EXPECT_EQ(sized->Width(), (work.right - work.left) * 3 / 4);
    EXPECT_EQ(sized->Height(), (work.bottom - work.top) * 3 / 4);
}

TEST_F(FormsTest, AnOnHideThatRaisesIsShownAndTheFormHidesAnyway) {
    struct Raiser : TObject {
        void Hide(TObject*) { throw EReadError("hide failed"); }
    } raiser;
    TBlankForm* form = SecondaryForm(app);
    form->OnHide = BindEvent<&Raiser::Hide, TNotifyEvent>(&raiser);
    form->SetVisible(true);
    form->SetVisible(false);
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "hide failed.");
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(form->BuildFlags() & bfShowInProgress, 0);
}

TEST_F(FormsTest, AWindowThatCannotBeMadeRaisesTheSystemsErrorAndLeavesNoWindow) {
    TBlankForm* form = SecondaryForm(app);
    // A parent window that does not exist: CreateWindowExA fails.
    form->SetParentWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0)));
    EXPECT_THROW(form->HandleNeeded(), EWin32Error);
    EXPECT_FALSE(form->HandleAllocated());
    form->SetParentWindow(nullptr);
    form->HandleNeeded();
    EXPECT_TRUE(form->HandleAllocated());
}

TEST_F(FormsTest, DialogFormsHaveNoMinimiseOrMaximiseBoxAndShowNormally) {
    TBlankForm* form = SecondaryForm(app);
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons(BorderIconSet({biSystemMenu, biMinimize, biMaximize, biHelp}));
    form->SetWindowState(wsMaximized);
    HWND window = form->Handle();
    DWORD style = StyleOf(window);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_MAXIMIZE | WS_THICKFRAME), 0u);
    EXPECT_NE(style & WS_POPUP, 0u);
    EXPECT_NE(style & WS_SYSMENU, 0u);
    EXPECT_NE(ExStyleOf(window) & WS_EX_DLGMODALFRAME, 0u);
    EXPECT_NE(ExStyleOf(window) & WS_EX_CONTEXTHELP, 0u);
    EXPECT_EQ(form->WindowState(), wsNormal);
    // A dialog carries no large icon of its own.
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(FormsTest, AFormWithoutAnIconShowsTheApplicationsOwnIconOrNone) {
    HICON hand = LoadIconA(nullptr, IDI_HAND);
    app->AppIcon()->SetHandle(hand);
    EXPECT_EQ(SendMessageA(SecondaryForm(app)->Handle(), WM_GETICON, ICON_BIG, 0),
              reinterpret_cast<LRESULT>(hand));
    // An application without an icon gives none, not the system's default.
    app->AppIcon()->SetHandle(nullptr);
    ASSERT_NE(app->CurrentIcon(), nullptr);
    EXPECT_EQ(SendMessageA(SecondaryForm(app)->Handle(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(FormsTest, BorderStylesAndIconsGiveTheWindowStyles) {
    struct Case {
        TFormBorderStyle border;
        TBorderIcons icons;
        DWORD present, absent, exPresent;
    };
    const TBorderIcons all = BorderIconSet({biSystemMenu, biMinimize, biMaximize});
    const Case cases[] = {
        {bsNone, all, WS_POPUP, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0},
        {bsSingle, BorderIconSet({biSystemMenu, biMinimize}),
         WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_THICKFRAME | WS_MAXIMIZEBOX, 0},
        {bsSizeable, 0, WS_CAPTION | WS_THICKFRAME, WS_SYSMENU | WS_MINIMIZEBOX, 0},
        {bsToolWindow, all, WS_CAPTION | WS_SYSMENU, WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         WS_EX_TOOLWINDOW},
        {bsSizeToolWin, all, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, WS_MINIMIZEBOX,
         WS_EX_TOOLWINDOW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.border));
        TBlankForm* form = SecondaryForm(app);
        form->SetBorderStyle(c.border);
        form->SetBorderIcons(c.icons);
        HWND window = form->Handle();
        EXPECT_EQ(StyleOf(window) & c.present, c.present);
        EXPECT_EQ(StyleOf(window) & c.absent, 0u);
        EXPECT_EQ(ExStyleOf(window) & c.exPresent, c.exPresent);
        FreeObject(form);
    }
}

TEST_F(FormsTest, MinimisedFormsShowWithoutBeingActivated) {
    TBlankForm* other = SecondaryForm(app);
    other->SetVisible(true);
    SetActiveWindow(other->Handle());
    TBlankForm* form = SecondaryForm(app);
    form->SetWindowState(wsMinimized);
    form->SetVisible(true);
    EXPECT_TRUE(IsIconic(form->Handle()));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(GetActiveWindow(), other->Handle());
}

TEST_F(FormsTest, ChangingTheShowStateInsideOnShowIsRefusedAndShown) {
    struct Hider : TObject {
        TCustomForm* form = nullptr;
        void Show(TObject*) { form->SetVisible(false); }
    } hider;
    TBlankForm* form = SecondaryForm(app);
    hider.form = form;
    form->OnShow = BindEvent<&Hider::Show, TNotifyEvent>(&hider);
    form->SetVisible(true);
    // The refused change went to the application's display; the show went on.
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, WithClosingPeriod(LoadResString(SVisibleChanged)));
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(form->BuildFlags() & bfShowInProgress, 0);
    // The form still hides normally afterwards.
    form->OnShow = TNotifyEvent{};
    form->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

struct CloseChooser : TObject {
    TCloseChoice choice = ccHide;
    int closes = 0;
    int queries = 0;
    void Close(TObject*, TCloseChoice* action) {
        ++closes;
        *action = choice;
    }
    void Query(TObject*, bool*) { ++queries; }
};

TEST_F(FormsTest, ClosingAFormInAModalRunOnlySetsItsModalOutcome) {
    TBlankForm* primary = nullptr;
    app->InstantiateForm(&TBlankForm::ClassInfo, primary);
    TBlankForm* other = SecondaryForm(app);
    for (TBlankForm* form : {primary, other}) {
        SCOPED_TRACE(form == primary ? "primary form" : "other form");
        CloseChooser chooser;
        form->OnClose = BindEvent<&CloseChooser::Close, TCloseEvent>(&chooser);
        form->OnCloseQuery = BindEvent<&CloseChooser::Query, TCloseQueryEvent>(&chooser);
        form->SetVisible(true);
        form->EnterModalRun();
        SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
        app->DrainMessageQueue();
        EXPECT_EQ(form->ModalOutcome(), 2);
        // Neither asked nor told, the form stays and so does the application.
        EXPECT_EQ(chooser.queries, 0);
        EXPECT_EQ(chooser.closes, 0);
        EXPECT_TRUE(form->Visible());
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        EXPECT_FALSE(app->QuitRequested());
        form->OnClose = TCloseEvent{};
        form->OnCloseQuery = TCloseQueryEvent{};
    }
}

TEST_F(FormsTest, ClosingThePrimaryFormQuitsUnlessOnCloseKeepsIt) {
    TBlankForm* form = nullptr;
    app->InstantiateForm(&TBlankForm::ClassInfo, form);
    CloseChooser chooser;
    form->OnClose = BindEvent<&CloseChooser::Close, TCloseEvent>(&chooser);
    form->SetVisible(true);

    chooser.choice = ccKeep;
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    app->DrainMessageQueue();
    EXPECT_FALSE(app->QuitRequested());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));

    chooser.choice = ccHide;
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    app->DrainMessageQueue();
    EXPECT_TRUE(app->QuitRequested());
    EXPECT_EQ(chooser.closes, 2);
    // The primary form is not hidden: the loop's end takes it away.
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(FormsTest, ClosingAnotherFormHidesItAndTheReleaseChoiceDestroysIt) {
    TBlankForm* form = SecondaryForm(app);
    CloseChooser chooser;
    form->OnClose = BindEvent<&CloseChooser::Close, TCloseEvent>(&chooser);
    form->SetVisible(true);
    HWND window = form->Handle();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(TheScreen->CustomFormCount(), 2);

    chooser.choice = ccRelease;
    SendMessageA(window, WM_CLOSE, 0, 0);
    // The form goes when its window handles the release message.
    EXPECT_EQ(TheScreen->CustomFormCount(), 2);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, window, AM_RELEASE, AM_RELEASE, PM_NOREMOVE));
    app->DrainMessageQueue();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TheScreen->CustomFormCount(), 1);
    EXPECT_FALSE(app->QuitRequested());
    EXPECT_EQ(chooser.closes, 2);
}

TEST_F(FormsTest, FormStylesMakeTopmostAndMultipleDocumentWindows) {
    TBlankForm* onTop = SecondaryForm(app);
    onTop->SetFormStyle(fsStayOnTop);
    EXPECT_NE(ExStyleOf(onTop->Handle()) & WS_EX_TOPMOST, 0u);

    // Without a multiple-document primary form a child has nowhere to go.
    TBlankForm* orphan = SecondaryForm(app);
    orphan->SetFormStyle(fsMDIChild);
    EXPECT_EQ(MessageOf<EInvalidOperation>([&] { orphan->HandleNeeded(); }),
              LoadResString(SNoMDIForm));
    EXPECT_FALSE(orphan->HandleAllocated());
    FreeObject(orphan);
}

// The application's primary form, made a multiple-document frame.
TBlankForm* MdiFrame(TApplication* app) {
    TBlankForm* frame = nullptr;
    app->InstantiateForm(&TBlankForm::ClassInfo, frame);
    // The primary form's window exists; a frame style takes effect when it is made again.
    frame->DestroyHandle();
    frame->SetFormStyle(fsMDIForm);
    frame->HandleNeeded();
    return frame;
}

// A multiple-document child form in the given state, not yet shown.
TBlankForm* MdiChild(TApplication* app, TWindowState state) {
    TBlankForm* child = NewBlankForm<TBlankForm>(app);
    child->SetFormStyle(fsMDIChild);
    child->SetWindowState(state);
    return child;
}

TEST_F(FormsTest, MultipleDocumentChildrenLiveInThePrimaryFormsClient) {
    TBlankForm* frame = MdiFrame(app);
    HWND frameWindow = frame->Handle();
    HWND client = frame->ClientHandle();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(ClassOf(client), "MDICLIENT");
    EXPECT_EQ(GetParent(client), frameWindow);

    TBlankForm* child = MdiChild(app, wsNormal);
    HWND window = child->Handle();
    EXPECT_EQ(GetParent(window), client);
    EXPECT_NE(child->BuildFlags() & bfMdiChildWindow, 0);
    child->DestroyHandle();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(child->BuildFlags() & bfMdiChildWindow, 0);
}

TEST_F(FormsTest, MultipleDocumentChildrenTakeTheirWindowStateThroughTheClient) {
    TBlankForm* frame = MdiFrame(app);
    frame->SetVisible(true);
    HWND client = frame->ClientHandle();
    // The child's window as the client shows it: "shown"/"hidden",
    // "normal"/"minimised"/"maximised", and " active" for its active child.
    auto stateOf = [&](TBlankForm* child) {
        HWND window = child->Handle();
        std::string state = IsWindowVisible(window) ? "shown " : "hidden ";
        state += IsZoomed(window) ? "maximised" : IsIconic(window) ? "minimised" : "normal";
        bool active = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)) == window;
        return active ? state + " active" : state;
    };
    auto shown = [&](TWindowState state) {
        TBlankForm* child = MdiChild(app, state);
        child->SetVisible(true);
        return child;
    };

    TBlankForm* plain = shown(wsNormal);
    EXPECT_EQ(stateOf(plain), "shown normal active");
    TBlankForm* big = shown(wsMaximized);
    EXPECT_EQ(stateOf(big), "shown maximised active");
    // A minimised child is made active like every new child; the maximised
    // one before it is restored, as the client keeps it.
    TBlankForm* small = shown(wsMinimized);
    EXPECT_EQ(stateOf(small), "shown minimised active");
    EXPECT_EQ(stateOf(big), "shown normal");

    // Maximising a shown child that is not the active one makes it the
    // active one: only the active child is maximised.
    plain->SetWindowState(wsMaximized);
    EXPECT_EQ(stateOf(plain), "shown maximised active");
    plain->SetWindowState(wsNormal);
    EXPECT_EQ(stateOf(plain), "shown normal active");

    // Minimising leaves the active child; opening a minimised one activates it.
    big->SetWindowState(wsMinimized);
    EXPECT_EQ(stateOf(big), "shown minimised");
    EXPECT_EQ(stateOf(plain), "shown normal active");
    small->SetWindowState(wsNormal);
    EXPECT_EQ(stateOf(small), "shown normal active");
}

// Monitors are read once per process: the checks run in a process of its own
// with two monitors side by side.
TEST_F(FormsTest, AFormMovesOntoTheMonitorItsDefaultMonitorChooses) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("HOSTWIN_MONITORS", "0,0,1024x768;1024,0,800x600", 1);
    EXPECT_EXIT(
        {
            TBlankForm* primary = nullptr;
            app->InstantiateForm(&TBlankForm::ClassInfo, primary);
            primary->SetBounds(1100, 50, 300, 200);
            TBlankForm* form = SecondaryForm(app);
            form->SetDefaultMonitor(dmMainForm);
            form->SetBounds(900, 100, 200, 100);
            form->SetVisible(true);
            // Shifted by the monitors' offset, then pulled back inside the second one.
            bool good = form->Left() == 1624 && form->Top() == 100;
            TBlankForm* centred = SecondaryForm(app);
            centred->SetDefaultMonitor(dmMainForm);
            centred->SetBounds(0, 0, 200, 100);
            centred->SetPosition(poScreenCenter);
            centred->SetVisible(true);
            good = good && centred->Left() == 1024 + 300 && centred->Top() == 250;
            TBlankForm* desktop = SecondaryForm(app);
            desktop->SetDefaultMonitor(dmDesktop);
            desktop->SetBounds(10, 10, 200, 100);
            desktop->SetVisible(true);
            good = good && desktop->Left() == 10;
            TBlankForm* back = SecondaryForm(app);
            back->SetDefaultMonitor(dmPrimary);
            back->SetBounds(1200, 100, 200, 100);
            back->SetVisible(true);
            good = good && back->Left() == 1200 - 1024 && back->Top() == 100;
            std::fprintf(stderr, "moved %d,%d centred %d,%d\n", form->Left(), form->Top(),
                         centred->Left(), centred->Top());
            std::fflush(stderr);
            _exit(good ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    unsetenv("HOSTWIN_MONITORS");
}

} // namespace
