// The message queue: posted and sent messages, WM_QUIT, filters, paint and
// timer messages.
#include "window_test_support.h"

using namespace window_tests;

namespace {

class MessageQueueTest : public WindowTest {};

std::vector<UINT> TakeAll(HWND window = nullptr, UINT first = 0, UINT last = 0) {
    std::vector<UINT> taken;
    MSG msg;
    while (PeekMessageA(&msg, window, first, last, PM_REMOVE)) {
        if (msg.message == WM_PAINT) {
            DispatchMessageA(&msg);
            continue;
        }
        taken.push_back(msg.message);
        if (msg.message == WM_QUIT) break;
    }
    return taken;
}

TEST_F(MessageQueueTest, QuitComesAfterThePostedMessages) {
    HWND window = MakeWindow(WS_POPUP);
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostQuitMessage(5);
    PostMessageA(window, WM_USER + 2, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(msg.hwnd, window);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, OneQuitWithTheLastCode) {
    PostQuitMessage(1);
    PostQuitMessage(2);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MessageQueueTest, PeekFiltersByWindowAndRange) {
    HWND parent = MakeWindow(WS_POPUP);
    HWND child = MakeWindow(WS_CHILD, parent);
    HWND other = MakeWindow(WS_POPUP);
    PostMessageA(other, WM_USER + 1, 0, 0);
    PostMessageA(child, WM_USER + 2, 0, 0);
    PostMessageA(parent, WM_APP, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 3, 0, 0);
    MSG msg;
    // PM_NOREMOVE leaves the message where it is.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    // A window filter takes the window's and its children's messages.
    EXPECT_EQ(TakeAll(parent, WM_USER, WM_USER + 10), (std::vector<UINT>{WM_USER + 2}));
    // Window -1 takes only messages without a window.
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(TakeAll(), (std::vector<UINT>{WM_USER + 1, WM_APP}));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(PeekMessageA(&msg, reinterpret_cast<HWND>(0x7777770), 0, 0, PM_REMOVE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessageQueueTest, NoFilterHoldsQuitBack) {
    HWND window = MakeWindow(WS_POPUP);
    PostQuitMessage(0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 5, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    // A posted message the filter leaves out does not hold it back either.
    PostMessageA(window, WM_USER + 9, 0, 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 9));
}

TEST_F(MessageQueueTest, SendCallsTheProcedureAtOnce) {
    HWND window = MakeWindow(WS_POPUP);
    ClearLog();
    SendMessageA(window, WM_USER + 4, 1, 2);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].wParam, 1u);
    EXPECT_EQ(Log()[0].lParam, 2);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
    // Posted messages reach the procedure through DispatchMessageA.
    PostMessageA(window, WM_USER + 5, 3, 4);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    ClearLog();
    DispatchMessageA(&msg);
    EXPECT_MESSAGES(Watched({WM_USER + 5}, window), WM_USER + 5);
    EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(0x7777770), WM_USER, 0, 0), 0);
}

TEST_F(MessageQueueTest, PaintComesAfterPostedMessagesUntilValidated) {
    HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "", 0, 0, 40, 40);
    DrainQueue();
    InvalidateRect(window, nullptr, TRUE);
    PostMessageA(window, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    // Taking WM_PAINT does not validate the window; painting does.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    ClearLog();
    DispatchMessageA(&msg);
    EXPECT_MESSAGES(Watched({WM_PAINT, WM_ERASEBKGND}, window), WM_PAINT, WM_ERASEBKGND);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    // A hidden or empty window needs no painting.
    HWND empty = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "", 0, 0, 0, 0);
    InvalidateRect(empty, nullptr, TRUE);
    ShowWindow(window, SW_HIDE);
    InvalidateRect(window, nullptr, TRUE);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
}

int timerCalls = 0;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) {
    ++timerCalls;
}

TEST_F(MessageQueueTest, TimersPostWmTimerAndCallTheirCallback) {
    HWND window = MakeWindow(WS_POPUP);
    EXPECT_EQ(SetTimer(window, 7, 10, nullptr), 7u);
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_TRUE(KillTimer(window, 7));
    EXPECT_FALSE(KillTimer(window, 7));

    timerCalls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 10, CountTimer);
    EXPECT_NE(id, 0u);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    DispatchMessageA(&msg);
    EXPECT_EQ(timerCalls, 1);
    EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST_F(MessageQueueTest, DestroyedWindowsLoseTheirPostedMessages) {
    HWND window = MakeWindow(WS_POPUP);
    PostMessageA(window, WM_USER, 0, 0);
    DestroyWindow(window);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessageQueueTest, DefWindowProcDefaults) {
    HWND window = MakeWindow(WS_POPUP);
    HICON big = LoadIconA(nullptr, IDI_APPLICATION);
    HICON small = LoadIconA(nullptr, IDI_QUESTION);
    EXPECT_EQ(SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)), 0);
    EXPECT_EQ(SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small)), 0);
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
    EXPECT_EQ(SendMessageA(window, WM_SETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
    EXPECT_EQ(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(small));
    EXPECT_EQ(DefWindowProcA(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(DefWindowProcA(window, WM_NCACTIVATE, FALSE, 0), TRUE);
    EXPECT_EQ(DefWindowProcA(window, WM_USER + 99, 0, 0), 0);
}

} // namespace
