// GoogleTest's Notification over a Windows event, for a C++ library without
// std::mutex and std::condition_variable (MinGW's Windows thread model, which
// the 32-bit release build uses). GoogleTest's own Notification is the one
// thing in it that needs them; its other locks are Windows critical sections.
// Included ahead of every GoogleTest source and user (see CMakeLists.txt).
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

// Lets threads wait until a controller thread says they may start.
class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    // Lets every waiting thread, and every later one, go on.
    void Notify() { SetEvent(event_); }
    // Blocks until Notify has been called.
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

} // namespace testing::internal
