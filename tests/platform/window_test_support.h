// Helpers for the window system's conformance tests: a window class whose
// procedure records the messages it receives, and checks that report the
// line of the test that called them. Written against the Win32 API only, so
// the same tests run on the host and on Windows.
#pragma once

#include "platform/win32.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace window_tests {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message the recording procedure has received since the last Clear.
std::vector<Received>& Log();
inline void ClearLog() {
    Log().clear();
}

// The messages of the log that are among `watched`, in order.
std::vector<UINT> Watched(std::initializer_list<UINT> watched, HWND window = nullptr);

// Registers (once per process) the recording class "WindowTest" and returns its name.
const char* RecordingClass();
// A class name of its own for a test, with the given procedure.
const char* RegisterClassWith(const char* name, WNDPROC procedure, UINT style = 0);

// A window of the recording class; destroyed by the fixture's TearDown.
HWND MakeWindow(DWORD style, HWND parent = nullptr, const char* text = "", int x = 10, int y = 20,
                int width = 200, int height = 100, DWORD exStyle = 0);

// Destroys the windows that MakeWindow made and drains the queue, so each test
// starts with no window and nothing posted.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Checks with the caller's line in the failure report.
void ExpectRect(int line, const RECT& rect, LONG left, LONG top, LONG right, LONG bottom);
void ExpectMessages(int line, const std::vector<UINT>& got, std::initializer_list<UINT> expected);
#define EXPECT_RECT(rect, l, t, r, b) ::window_tests::ExpectRect(__LINE__, rect, l, t, r, b)
#define EXPECT_MESSAGES(got, ...) ::window_tests::ExpectMessages(__LINE__, got, {__VA_ARGS__})

// Checks a function that copies a window's text out (GetWindowTextA,
// GetClassNameA) with each buffer size, over a buffer full of '#': as much of
// text as fits before the terminating zero, its length returned, and nothing
// written past the zero.
void ExpectTextCopies(HWND window, int(WINAPI* copy)(HWND, LPSTR, int), const std::string& text,
                      std::initializer_list<int> sizes);

RECT WindowRectOf(HWND window);
RECT ClientRectOf(HWND window);

// Removes every posted message (and the WM_QUIT) from the queue, dispatching
// paint messages so that none stays behind.
void DrainQueue();

} // namespace window_tests
