// The journal events of the window system: top-level windows appearing and
// disappearing, message boxes with their owner disabled meanwhile, help.
#include "host_journal.h"
#include "window_test_support.h"

using namespace window_tests;
using host_tests::ExpectFields;
using host_tests::Field;

namespace {

class WindowJournalTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        host_tests::DetachFromTerminal();
    }
    host_tests::OwnJournal journal;
};

TEST_F(WindowJournalTest, TopLevelWindowsAppearAndDisappear) {
    HWND application = MakeWindow(0x84CA0000, nullptr, "Setup", 512, 384, 0, 0);
    HWND form = MakeWindow(0x06CF0000, application, "Visible false", 192, 107, 190, 129);
    HWND child = MakeWindow(WS_CHILD, form, "", 0, 0, 10, 10);
    EXPECT_TRUE(journal.Lines("window_show").empty()); // hidden windows are not shown

    SetWindowPos(application, nullptr, 0, 0, 0, 0, 0x57);
    ShowWindow(form, SW_SHOWNORMAL);
    ShowWindow(child, SW_SHOW); // children are not top-level windows
    ShowWindow(form, SW_SHOW);  // no change, no event
    std::vector<std::string> shown = journal.Lines("window_show");
    ASSERT_EQ(shown.size(), 2u);
    ExpectFields(shown[0],
                 {"class=WindowTest", "caption=Setup", "caption_hex=5365747570", "width=0",
                  "height=0", "owner_class=null", "style=" + std::to_string(0x94CA0000u)});
    ExpectFields(shown[1], {"caption=Visible false", "x=192", "y=107", "width=190", "height=129",
                            "style=" + std::to_string(0x16CF0000u), "owner_class=WindowTest"});

    // Destroying a shown window hides it first.
    DestroyWindow(form);
    SetWindowPos(application, nullptr, 0, 0, 0, 0, 0x97);
    std::vector<std::string> hidden = journal.Lines("window_hide");
    ASSERT_EQ(hidden.size(), 2u);
    EXPECT_EQ(Field(hidden[0], "caption"), "Visible false");
    EXPECT_EQ(Field(hidden[1], "caption"), "Setup");
}

TEST_F(WindowJournalTest, CreatedVisibleIsShown) {
    MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "at once", 5, 6, 7, 8);
    std::vector<std::string> shown = journal.Lines("window_show");
    ASSERT_EQ(shown.size(), 1u);
    ExpectFields(shown[0], {"caption=at once", "x=5", "height=8"});
}

// Records, for each WM_ENABLE, whether the window was enabled at that moment.
std::vector<std::pair<WPARAM, BOOL>> enableMessages;
LRESULT CALLBACK WatchEnable(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENABLE) enableMessages.emplace_back(wParam, IsWindowEnabled(window));
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(WindowJournalTest, MessageBoxDisablesItsOwnerMeanwhile) {
    RegisterClassWith("TApplicationLike", WatchEnable);
    HWND owner = CreateWindowExA(0, "TApplicationLike", "Setup", 0x84CA0000, 0, 0, 0, 0, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    enableMessages.clear();
    EXPECT_EQ(MessageBoxA(owner, "Uninstall failed", "Information", 0x40), IDOK);
    std::vector<std::pair<WPARAM, BOOL>> expected = {{FALSE, FALSE}, {TRUE, TRUE}};
    EXPECT_EQ(enableMessages, expected);
    EXPECT_TRUE(IsWindowEnabled(owner));

    std::vector<std::string> boxes = journal.Lines("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    ExpectFields(boxes[0], {"owner_class=TApplicationLike", "caption=Information",
                            "text=Uninstall failed", "flags=64", "result=1"});
    DestroyWindow(owner);
}

TEST_F(WindowJournalTest, MessageBoxAnswersWithTheDefaultButton) {
    struct Case {
        UINT flags;
        int result;
    } cases[] = {{MB_OK, IDOK},
                 {MB_YESNO, IDYES},
                 {MB_YESNO | MB_DEFBUTTON2, IDNO},
                 {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
                 {MB_OKCANCEL | MB_DEFBUTTON4, IDOK}, // no fourth button: the first
                 {MB_ABORTRETRYIGNORE | MB_ICONSTOP | MB_DEFBUTTON2, IDRETRY}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.flags), c.result);
    }
    std::vector<std::string> boxes = journal.Lines("message_box");
    ASSERT_EQ(boxes.size(), std::size(cases));
    EXPECT_EQ(Field(boxes[0], "owner_class"), "null");
    EXPECT_EQ(Field(boxes[5], "flags"),
              std::to_string(MB_ABORTRETRYIGNORE | MB_ICONSTOP | MB_DEFBUTTON2));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", 7), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE));
}

TEST_F(WindowJournalTest, MessageBoxTextsKeepTheProgramsBytes) {
    // Code page 1252 here: 0xE9 is "é". A null caption is Windows' "Error".
    MessageBoxA(nullptr, "caf\xE9", nullptr, MB_OK);
    std::vector<std::string> boxes = journal.Lines("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    ExpectFields(boxes[0], {"text=caf\xC3\xA9", "text_hex=636166e9", "caption=Error"});
}

TEST_F(WindowJournalTest, HelpRequestsAreWritten) {
    EXPECT_TRUE(WinHelpA(nullptr, "SETUP.HLP", HELP_CONTEXT, 42));
    std::vector<std::string> help = journal.Lines("help");
    ASSERT_EQ(help.size(), 1u);
    ExpectFields(help[0], {"file=SETUP.HLP", "command=1", "data=42"});
}

} // namespace
