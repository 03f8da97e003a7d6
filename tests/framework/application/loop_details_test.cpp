// What the message loop offers a message before it dispatches it, and the
// application's answers to icon and setting changes and to restoring.
#include "app_fixture.h"

#include "runtime/textconv.h"

#include <algorithm>

namespace {

bool Contains(const std::vector<UINT>& messages, UINT message) {
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

TEST_F(ApplicationTest, KeysAreOfferedToTheirControlBeforeDispatch) {
    TRecordingControl* control = NewComponent<TRecordingControl>(app);
    PostMessageA(control->Handle(), WM_KEYDOWN, 'A', 0);
    app->DrainMessageQueue();
    ASSERT_TRUE(Contains(control->received, WM_KEYDOWN + NotifyOffset));
    EXPECT_TRUE(Contains(control->received, WM_KEYDOWN));
    EXPECT_LT(
        std::find(control->received.begin(), control->received.end(), WM_KEYDOWN + NotifyOffset),
        std::find(control->received.begin(), control->received.end(), WM_KEYDOWN));

    control->received.clear();
    control->claimKeys = true;
    PostMessageA(control->Handle(), WM_KEYDOWN, 'B', 0);
    app->DrainMessageQueue();
    EXPECT_TRUE(Contains(control->received, WM_KEYDOWN + NotifyOffset));
    EXPECT_FALSE(Contains(control->received, WM_KEYDOWN));
}

TEST_F(ApplicationTest, KeyPreviewEndsAt0x108) {
    TRecordingControl* control = NewComponent<TRecordingControl>(app);
    PostMessageA(control->Handle(), 0x108, 0, 0);
    PostMessageA(control->Handle(), 0x109, 'A', 0); // WM_UNICHAR
    app->DrainMessageQueue();
    EXPECT_TRUE(Contains(control->received, 0x108 + NotifyOffset));
    EXPECT_FALSE(Contains(control->received, 0x109 + NotifyOffset));
    EXPECT_TRUE(Contains(control->received, 0x109));
}

TEST_F(ApplicationTest, ASettingChangeReadsTheLocaleFormatsAgainWhenTheLocaleIsTracked) {
    TFormatSettings odd = FormatSettings();
    odd.DecimalSeparator = '#';
    odd.ShortDateFormat = "yy#M#d";
    SetFormatSettings(odd);
    app->SetTrackLocaleChanges(false);
    SendMessageA(appWindow, WM_WININICHANGE, 0, 0);
    EXPECT_EQ(FormatSettings().DecimalSeparator, '#');
    app->SetTrackLocaleChanges(true);
    SendMessageA(appWindow, WM_WININICHANGE, 0, 0);
    char decimal[8] = {};
    char shortDate[80] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof(decimal));
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortDate, sizeof(shortDate));
    EXPECT_EQ(FormatSettings().DecimalSeparator, decimal[0]);
    EXPECT_EQ(FormatSettings().ShortDateFormat, shortDate);
    EXPECT_EQ(GetThreadLocale(), GetUserDefaultLCID());
}

TEST_F(ApplicationTest, TheMessageHookSlotCanKeepAMessageFromDispatch) {
    TRecordingControl* control = NewComponent<TRecordingControl>(app);
    struct Keeper : TObject {
        void Look(MSG* message, bool* handled) { *handled = message->message == WM_USER + 3; }
    } keeper;
    app->MessageHook = BindEvent<&Keeper::Look, TMessageEvent>(&keeper);
    PostMessageA(control->Handle(), WM_USER + 3, 0, 0);
    PostMessageA(control->Handle(), WM_USER + 4, 0, 0);
    app->DrainMessageQueue();
    EXPECT_FALSE(Contains(control->received, WM_USER + 3));
    EXPECT_TRUE(Contains(control->received, WM_USER + 4));
}

TEST_F(ApplicationTest, ANewIconReachesTheWindowAndEveryForm) {
    TRecordingForm* form = nullptr;
    app->InstantiateForm(&TRecordingForm::ClassInfo, form);
    HICON icon = LoadIconA(nullptr, IDI_HAND);
    ASSERT_NE(icon, nullptr);
    app->AppIcon()->SetHandle(icon);
    EXPECT_EQ(app->CurrentIcon(), icon);
    EXPECT_EQ(SendMessageA(appWindow, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(icon));
    if (NewShellUI) {
        EXPECT_EQ(GetClassLongPtrA(appWindow, GCLP_HICON), reinterpret_cast<ULONG_PTR>(icon));
    }
    EXPECT_TRUE(Contains(form->received, AM_ICONCHANGED));
    app->AppIcon()->SetHandle(nullptr);
    EXPECT_EQ(app->CurrentIcon(), LoadIconA(nullptr, IDI_APPLICATION));
}

TEST_F(ApplicationTest, ASettingChangeMakesANewHintPopupWhenMetricsAreTracked) {
    const TClass* original = HintPopupClass;
    HintPopupClass = &TCountingHintWindow::ClassInfo;
    app->SetHintsOn(false);
    app->SetHintsOn(true);
    TCountingHintWindow::made = 0;
    SendMessageA(appWindow, WM_WININICHANGE, 0, 0);
    EXPECT_EQ(TCountingHintWindow::made, 1);
    EXPECT_TRUE(app->HintsOn());
    app->SetTrackMetricChanges(false);
    SendMessageA(appWindow, WM_WININICHANGE, 0, 0);
    EXPECT_EQ(TCountingHintWindow::made, 1);
    HintPopupClass = original;
}

TEST_F(ApplicationTest, RestoringAMinimisedStartShowsThePrimaryForm) {
    TTestForm* form = nullptr;
    app->InstantiateForm(&TTestForm::ClassInfo, form);
    StartupShowCommand = SW_SHOWMINNOACTIVE;
    PostQuitMessage(0);
    app->EnterMessageLoop();
    ASSERT_TRUE(IsIconic(appWindow));
    ASSERT_FALSE(form->Visible());
    SendMessageA(appWindow, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(appWindow));
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

} // namespace
