// Messages sent by another thread: they wait in the receiving thread's queue
// until it looks at it, wake a wait for QS_SENDMESSAGE, and are handled by a
// PeekMessage that asks only for them, which leaves posted messages queued.
#include "window_test_support.h"

#include <atomic>
#include <thread>

using namespace window_tests;

namespace {

class SentMessagesTest : public WindowTest {};

constexpr UINT Sent = WM_USER + 2;
constexpr UINT Posted = WM_USER + 1;

// Whether the procedure has handled `Sent`, and whether InSendMessage said
// then that another thread had sent it.
std::atomic<bool> sentHandled = false;
bool sentFromAnotherThread = false;

LRESULT CALLBACK AnsweringProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != Sent) return DefWindowProcA(window, message, wParam, lParam);
    sentFromAnotherThread = InSendMessage() != FALSE;
    sentHandled = true;
    return 42;
}

TEST_F(SentMessagesTest, ASendFromAnotherThreadIsHandledWhenOnlySentMessagesAreAskedFor) {
    HWND window =
        CreateWindowExA(0, RegisterClassWith("SentMessagesTest", AnsweringProcedure), "", WS_POPUP,
                        0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    sentHandled = false;
    PostMessageA(window, Posted, 0, 0);
    // A posted message wakes a wait for posted messages, not one for sent ones.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_POSTMESSAGE), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_SENDMESSAGE),
              static_cast<DWORD>(WAIT_TIMEOUT));

    std::atomic<LRESULT> answer = 0;
    std::thread sender([&] { answer = SendMessageA(window, Sent, 0, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_SENDMESSAGE), WAIT_OBJECT_0);
    // Waiting does not handle it: the sender still waits for its answer.
    EXPECT_FALSE(sentHandled.load());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_SENDMESSAGE));
    sender.join();
    EXPECT_TRUE(sentHandled.load());
    EXPECT_TRUE(sentFromAnotherThread);
    EXPECT_EQ(answer.load(), 42);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, Posted);
    DestroyWindow(window);
}

} // namespace
