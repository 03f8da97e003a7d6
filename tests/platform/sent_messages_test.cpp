// Messages sent by another thread: they wait in the receiving thread's queue
// until it looks at it, wake a wait for QS_SENDMESSAGE, and are handled by a
// PeekMessage that asks only for them, which leaves posted messages queued.
#include "window_test_support.h"

#include <atomic>
#include <functional>
#if !defined(_WIN32) || defined(_GLIBCXX_HAS_GTHREADS)
#include <thread>
#endif

using namespace window_tests;

namespace {

class SentMessagesTest : public WindowTest {};

// Runs a function on a thread of its own until Join. The 32-bit Windows
// build's C++ library (MinGW's Windows thread model) has no std::thread; the
// host has no CreateThread: each build takes the one it has.
class OtherThread {
public:
    explicit OtherThread(std::function<void()> body) : body_(std::move(body)) {
#if !defined(_WIN32) || defined(_GLIBCXX_HAS_GTHREADS)
        thread_ = std::thread(body_);
#else
        thread_ = CreateThread(nullptr, 0, &OtherThread::Run, this, 0, nullptr);
#endif
    }
    void Join() {
#if !defined(_WIN32) || defined(_GLIBCXX_HAS_GTHREADS)
        thread_.join();
#else
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
#endif
    }

private:
    std::function<void()> body_;
#if !defined(_WIN32) || defined(_GLIBCXX_HAS_GTHREADS)
    std::thread thread_;
#else
    HANDLE thread_;
    static DWORD WINAPI Run(LPVOID self) {
        static_cast<OtherThread*>(self)->body_();
        return 0;
    }
#endif
};

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
    OtherThread sender([&] { answer = SendMessageA(window, Sent, 0, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_SENDMESSAGE), WAIT_OBJECT_0);
    // Waiting does not handle it: the sender still waits for its answer.
    EXPECT_FALSE(sentHandled.load());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_SENDMESSAGE));
    sender.Join();
    EXPECT_TRUE(sentHandled.load());
    EXPECT_TRUE(sentFromAnotherThread);
    EXPECT_EQ(answer.load(), 42);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, Posted);
    DestroyWindow(window);
}

} // namespace
