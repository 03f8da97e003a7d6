// Enabling, focus, activation and capture.
#include "window_test_support.h"

using namespace window_tests;

namespace {

class WindowFocusTest : public WindowTest {};

WPARAM FirstWParam(HWND window, UINT message) {
    for (const Received& r : Log())
        if (r.window == window && r.message == message) return r.wParam;
    return static_cast<WPARAM>(-1);
}

TEST_F(WindowFocusTest, EnableWindowSendsWmEnableOnAChange) {
    HWND window = MakeWindow(WS_POPUP);
    ClearLog();
    EXPECT_FALSE(EnableWindow(window, FALSE)); // it was enabled
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_DISABLED);
    EXPECT_MESSAGES(Watched({WM_CANCELMODE, WM_ENABLE}, window), WM_CANCELMODE, WM_ENABLE);
    EXPECT_EQ(FirstWParam(window, WM_ENABLE), 0u);
    ClearLog();
    EXPECT_TRUE(
        EnableWindow(window, FALSE)); // already disabled: the mode is cancelled, no WM_ENABLE
    EXPECT_MESSAGES(Watched({WM_CANCELMODE, WM_ENABLE}, window), WM_CANCELMODE);
    EXPECT_TRUE(EnableWindow(window, TRUE));
    EXPECT_EQ(FirstWParam(window, WM_ENABLE), static_cast<WPARAM>(TRUE));
    ClearLog();
    EXPECT_FALSE(EnableWindow(window, TRUE));
    EXPECT_TRUE(Log().empty());
}

TEST_F(WindowFocusTest, DisablingTheFocusWindowTakesTheFocusAway) {
    HWND window = MakeWindow(WS_POPUP | WS_VISIBLE);
    ASSERT_EQ(GetFocus(), window);
    EnableWindow(window, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(SetFocus(window), nullptr); // a disabled window cannot take it
    EnableWindow(window, TRUE);
}

TEST_F(WindowFocusTest, ActivationMessages) {
    HWND first = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "", 0, 0, 50, 50);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(GetFocus(), first);
    HWND second = MakeWindow(WS_POPUP, nullptr, "", 60, 0, 50, 50);
    ShowWindow(second, SW_SHOWNA);
    EXPECT_EQ(GetActiveWindow(), first);
    ClearLog();
    EXPECT_EQ(SetActiveWindow(second), first);
    EXPECT_EQ(GetActiveWindow(), second);
    EXPECT_EQ(GetFocus(), second);
    std::vector<std::pair<HWND, UINT>> order;
    for (const Received& r : Log())
        if (r.message == WM_NCACTIVATE || r.message == WM_ACTIVATE || r.message == WM_KILLFOCUS ||
            r.message == WM_SETFOCUS)
            order.emplace_back(r.window, r.message);
    std::vector<std::pair<HWND, UINT>> expected = {{first, WM_NCACTIVATE},  {first, WM_ACTIVATE},
                                                   {second, WM_NCACTIVATE}, {second, WM_ACTIVATE},
                                                   {first, WM_KILLFOCUS},   {second, WM_SETFOCUS}};
    EXPECT_EQ(order, expected);
    for (const Received& r : Log()) {
        if (r.message != WM_ACTIVATE) continue;
        EXPECT_EQ(LOWORD(r.wParam), r.window == second ? WA_ACTIVE : WA_INACTIVE);
        EXPECT_EQ(reinterpret_cast<HWND>(r.lParam), r.window == second ? first : second);
    }
    // The activated window comes to the top.
    EXPECT_EQ(GetTopWindow(nullptr) == second || GetWindow(second, GW_HWNDPREV) == nullptr, true);
}

TEST_F(WindowFocusTest, FocusMovesBetweenChildren) {
    HWND parent = MakeWindow(WS_POPUP | WS_VISIBLE);
    HWND left = MakeWindow(WS_CHILD | WS_VISIBLE, parent, "", 0, 0, 10, 10);
    HWND right = MakeWindow(WS_CHILD | WS_VISIBLE, parent, "", 20, 0, 10, 10);
    EXPECT_EQ(SetFocus(left), parent);
    ClearLog();
    EXPECT_EQ(SetFocus(right), left);
    EXPECT_EQ(GetFocus(), right);
    EXPECT_MESSAGES(Watched({WM_KILLFOCUS, WM_SETFOCUS}), WM_KILLFOCUS, WM_SETFOCUS);
    EXPECT_EQ(FirstWParam(left, WM_KILLFOCUS), reinterpret_cast<WPARAM>(right));
    EXPECT_EQ(FirstWParam(right, WM_SETFOCUS), reinterpret_cast<WPARAM>(left));
    // A child cannot become the active window.
    EXPECT_EQ(SetActiveWindow(right), parent);
    EXPECT_EQ(GetActiveWindow(), parent);
}

TEST_F(WindowFocusTest, HidingTheActiveWindowActivatesAnother) {
    HWND owner = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "", 0, 0, 50, 50);
    HWND popup = MakeWindow(WS_POPUP | WS_VISIBLE, owner, "", 10, 10, 20, 20);
    EXPECT_EQ(GetActiveWindow(), popup);
    EXPECT_EQ(GetLastActivePopup(owner), popup);
    ShowWindow(popup, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), owner);
    DestroyWindow(owner);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowFocusTest, LastActivePopupOfANeverActivatedWindowIsItself) {
    HWND owner = MakeWindow(WS_POPUP);
    HWND popup = MakeWindow(WS_POPUP, owner);
    EXPECT_EQ(GetLastActivePopup(owner), owner);
    SetActiveWindow(popup);
    EXPECT_EQ(GetLastActivePopup(owner), popup);
    DestroyWindow(popup);
    EXPECT_EQ(GetLastActivePopup(owner), owner);
}

TEST_F(WindowFocusTest, CaptureChangesAreAnnounced) {
    HWND first = MakeWindow(WS_POPUP);
    HWND second = MakeWindow(WS_POPUP);
    ClearLog();
    EXPECT_EQ(SetCapture(first), nullptr);
    EXPECT_EQ(GetCapture(), first);
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(SetCapture(second), first);
    ASSERT_EQ(Watched({WM_CAPTURECHANGED}, first).size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(Log().back().lParam), second);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Watched({WM_CAPTURECHANGED}, second).size(), 1u);
    // WM_CANCELMODE through DefWindowProcA releases the capture of its window.
    SetCapture(first);
    SendMessageA(first, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
