// Nobody at the terminal: a wait with an empty queue makes the host close
// the window a user would close, and a wait with nothing to close ends the
// process with status 3 and a journal line.
#include "host_journal.h"
#include "window_test_support.h"

using namespace window_tests;
using host_tests::Field;
using testing::ExitedWithCode;

namespace {

class NobodyTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        host_tests::DetachFromTerminal();
    }
    host_tests::OwnJournal journal;
};

TEST_F(NobodyTest, WaitingWithoutAWindowIsADeadlock) {
    EXPECT_EXIT(
        {
            MSG msg;
            GetMessageA(&msg, nullptr, 0, 0);
        },
        ExitedWithCode(3), "deadlock");
    std::vector<std::string> deadlocks = journal.Lines("deadlock");
    ASSERT_EQ(deadlocks.size(), 1u);
    EXPECT_EQ(Field(deadlocks[0], "reason"), "no window to close");
    std::vector<std::string> exits = journal.Lines("exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(Field(exits[0], "status"), "3");
}

TEST_F(NobodyTest, WaitMessageWithOnlyHiddenWindowsIsADeadlock) {
    MakeWindow(0x84CA0000, nullptr, "hidden", 0, 0, 0, 0);
    EXPECT_EXIT(WaitMessage(), ExitedWithCode(3), "deadlock");
}

TEST_F(NobodyTest, TheActiveWindowIsClosed) {
    HWND behind = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "behind", 0, 0, 50, 50);
    HWND active = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "active", 0, 0, 50, 50);
    SetActiveWindow(behind);
    DrainQueue();
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, behind);
    DispatchMessageA(&msg);
    EXPECT_FALSE(IsWindow(behind));
    // With no active window left, the topmost shown window is next.
    SetActiveWindow(nullptr);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.hwnd, active);
}

LRESULT CALLBACK RefuseToClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(NobodyTest, AWindowThatKeepsRefusingIsADeadlock) {
    RegisterClassWith("RefuseToClose", RefuseToClose);
    EXPECT_EXIT(
        {
            CreateWindowExA(0, "RefuseToClose", "stubborn", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
            MSG msg;
            int closes = 0;
            while (GetMessageA(&msg, nullptr, 0, 0)) {
                if (msg.message == WM_CLOSE) ++closes;
                DispatchMessageA(&msg);
                if (closes > 3) _exit(1); // the host should have given up after three
            }
            _exit(2);
        },
        ExitedWithCode(3), "does not close");
    std::vector<std::string> deadlocks = journal.Lines("deadlock");
    ASSERT_EQ(deadlocks.size(), 1u);
    EXPECT_EQ(Field(deadlocks[0], "reason"), "the window does not close");
}

TEST_F(NobodyTest, AClosedProgramEndsItsLoopNormally) {
    // The usual loop: the close destroys the window, whose WM_DESTROY quits.
    struct Loop {
        static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_DESTROY) PostQuitMessage(9);
            return DefWindowProcA(window, message, wParam, lParam);
        }
    };
    RegisterClassWith("QuitsOnDestroy", Loop::Procedure);
    HWND window =
        CreateWindowExA(0, "QuitsOnDestroy", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                        100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0))
        DispatchMessageA(&msg);
    EXPECT_EQ(msg.wParam, 9u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(journal.Lines("deadlock").empty());
}

TEST_F(NobodyTest, PendingTimersAreWaitedFor) {
    HWND window = MakeWindow(WS_POPUP);
    SetTimer(window, 1, 10, nullptr);
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    KillTimer(window, 1);
}

} // namespace
