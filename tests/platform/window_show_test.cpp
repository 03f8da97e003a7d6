// Showing, minimising and maximising, SetWindowPos with its flags, and the
// z-order with the topmost band.
#include "window_test_support.h"

#include <algorithm>

using namespace window_tests;

namespace {

class WindowShowTest : public WindowTest {};

BOOL CALLBACK CollectOwnWindows(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// The process's top-level windows in z-order, restricted to `among`.
std::vector<HWND> ZOrder(std::initializer_list<HWND> among) {
    std::vector<HWND> all;
    EnumWindows(CollectOwnWindows, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> result;
    for (HWND window : all)
        if (std::find(among.begin(), among.end(), window) != among.end()) result.push_back(window);
    return result;
}

TEST_F(WindowShowTest, ShowWindowAnswersThePreviousVisibility) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW);
    EXPECT_FALSE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(window));
    ClearLog();
    EXPECT_FALSE(ShowWindow(window, SW_HIDE));
    EXPECT_TRUE(Log().empty()); // hiding a hidden window sends nothing
}

TEST_F(WindowShowTest, ShowMinNoActiveKeepsTheActiveWindow) {
    HWND active = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "", 0, 0, 50, 50);
    ASSERT_EQ(GetActiveWindow(), active);
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr, "", 40, 50, 300, 200);
    ClearLog();
    EXPECT_FALSE(ShowWindow(window, SW_SHOWMINNOACTIVE));
    EXPECT_EQ(GetActiveWindow(), active);
    EXPECT_TRUE(IsIconic(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_MINIMIZE);
    EXPECT_TRUE(Watched({WM_ACTIVATE, WM_SETFOCUS}, window).empty());
    // WM_SIZE tells of the minimised state.
    bool minimizedSize = false;
    for (const Received& r : Log())
        if (r.window == window && r.message == WM_SIZE && r.wParam == SIZE_MINIMIZED)
            minimizedSize = true;
    EXPECT_TRUE(minimizedSize);
    // Restoring puts the window back where it was.
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_RECT(WindowRectOf(window), 40, 50, 340, 250);
    EXPECT_EQ(GetActiveWindow(), window);
}

TEST_F(WindowShowTest, MaximiseAndRestoreKeepTheNormalRectangle) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr, "", 40, 50, 300, 200);
    EXPECT_FALSE(ShowWindow(window, SW_SHOWMAXIMIZED));
    EXPECT_TRUE(IsZoomed(window));
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT client = ClientRectOf(window);
    EXPECT_EQ(client.right, work.right - work.left); // the frame lies outside the work area
    // Minimised from maximised comes back maximised.
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(window));
    EXPECT_FALSE(IsZoomed(window));
    ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(IsZoomed(window));
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_RECT(WindowRectOf(window), 40, 50, 340, 250);
}

TEST_F(WindowShowTest, SystemCommandsIgnoreTheLowFourBits) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, "", 40, 50, 300, 200);
    for (WPARAM low : {0, 3, 15}) {
        SCOPED_TRACE(low);
        DefWindowProcA(window, WM_SYSCOMMAND, SC_MINIMIZE + low, 0);
        EXPECT_TRUE(IsIconic(window));
        DefWindowProcA(window, WM_SYSCOMMAND, SC_RESTORE + low, 0);
        EXPECT_FALSE(IsIconic(window));
        DefWindowProcA(window, WM_SYSCOMMAND, SC_MAXIMIZE + low, 0);
        EXPECT_TRUE(IsZoomed(window));
        DefWindowProcA(window, WM_SYSCOMMAND, SC_RESTORE + low, 0);
        EXPECT_FALSE(IsZoomed(window));
        EXPECT_RECT(WindowRectOf(window), 40, 50, 340, 250);
    }
    DefWindowProcA(window, WM_SYSCOMMAND, SC_CLOSE + 2, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowShowTest, ZeroSizedWindowShowsAndHidesWithSetWindowPos) {
    HWND window = MakeWindow(0x84CA0000, nullptr, "", 512, 384, 0, 0);
    const UINT show =
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW; // 0x57
    const UINT hide =
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW; // 0x97
    EXPECT_TRUE(SetWindowPos(window, nullptr, 0, 0, 0, 0, show));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_RECT(WindowRectOf(window), 512, 384, 512, 384);
    EXPECT_NE(GetActiveWindow(), window);
    EXPECT_TRUE(SetWindowPos(window, nullptr, 0, 0, 0, 0, hide));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_MESSAGES(Watched({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}, window),
                    WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_WINDOWPOSCHANGING,
                    WM_WINDOWPOSCHANGED);
}

TEST_F(WindowShowTest, MoveAndSizeSendTheirMessages) {
    HWND window = MakeWindow(WS_POPUP, nullptr, "", 0, 0, 100, 100);
    ClearLog();
    SetWindowPos(window, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_MESSAGES(Watched({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}, window),
                    WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE);
    ClearLog();
    MoveWindow(window, 30, 40, 60, 70, TRUE);
    EXPECT_MESSAGES(Watched({WM_MOVE, WM_SIZE}, window), WM_SIZE);
    EXPECT_RECT(WindowRectOf(window), 30, 40, 90, 110);
}

LRESULT CALLBACK AtLeast300By200(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{300, 200};
        info->ptMaxSize = POINT{400, 350};
        info->ptMaxPosition = POINT{7, 8};
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(WindowShowTest, SizableWindowsKeepWithinTheirTrackingLimits) {
    // The defaults: an overlapped window is never smaller than the minimum
    // tracking size; a popup without a frame has no limits.
    HWND overlapped = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr, "", 10, 10, 20, 10);
    RECT rect = WindowRectOf(overlapped);
    EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXMINTRACK));
    EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYMINTRACK));
    EXPECT_EQ(Watched({WM_GETMINMAXINFO, WM_NCCREATE}, overlapped).front(),
              static_cast<UINT>(WM_GETMINMAXINFO));
    HWND popup = MakeWindow(WS_POPUP, nullptr, "", 10, 10, 20, 10);
    EXPECT_RECT(WindowRectOf(popup), 10, 10, 30, 20);

    // A window's own answer to WM_GETMINMAXINFO bounds sizing and maximising.
    RegisterClassWith("AtLeast300By200", AtLeast300By200);
    HWND limited = CreateWindowExA(0, "AtLeast300By200", "", WS_OVERLAPPEDWINDOW, 10, 10, 100, 100,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_RECT(WindowRectOf(limited), 10, 10, 310, 210);
    MoveWindow(limited, 10, 10, 50, 500, FALSE);
    EXPECT_RECT(WindowRectOf(limited), 10, 10, 310, 510);
    ShowWindow(limited, SW_SHOWMAXIMIZED);
    EXPECT_RECT(WindowRectOf(limited), 7, 8, 407, 358);
    DestroyWindow(limited);
}

TEST_F(WindowShowTest, TopmostBandComesFirst) {
    HWND a = MakeWindow(WS_POPUP);
    HWND b = MakeWindow(WS_POPUP);
    HWND c = MakeWindow(WS_POPUP);
    // New windows go on top.
    EXPECT_EQ(ZOrder({a, b, c}), (std::vector<HWND>{c, b, a}));
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, keep);
    EXPECT_TRUE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ZOrder({a, b, c}), (std::vector<HWND>{a, c, b}));
    // HWND_TOP keeps a window below the topmost band.
    SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, keep);
    EXPECT_EQ(ZOrder({a, b, c}), (std::vector<HWND>{a, b, c}));
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, keep);
    EXPECT_EQ(ZOrder({a, b, c}), (std::vector<HWND>{a, c, b}));
    SetWindowPos(b, c, 0, 0, 0, 0, keep);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDPREV), c);
    SetWindowPos(a, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    EXPECT_FALSE(GetWindowLongA(a, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ZOrder({a, b, c}), (std::vector<HWND>{a, c, b}));
    // A window created topmost starts in the band.
    HWND d = MakeWindow(WS_POPUP, nullptr, "", 0, 0, 10, 10, WS_EX_TOPMOST);
    HWND e = MakeWindow(WS_POPUP);
    EXPECT_EQ(ZOrder({a, d, e}), (std::vector<HWND>{d, e, a}));
}

TEST_F(WindowShowTest, OwnedWindowsStayAboveTheirOwner) {
    HWND owner = MakeWindow(WS_POPUP);
    HWND owned = MakeWindow(WS_POPUP, owner);
    HWND other = MakeWindow(WS_POPUP);
    SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(ZOrder({owner, owned, other}), (std::vector<HWND>{owned, owner, other}));
    SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(GetWindowLongA(owned, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ZOrder({owner, owned, other}), (std::vector<HWND>{owned, owner, other}));
}

TEST_F(WindowShowTest, TopmostWindowPlacedAfterAnotherLeavesTheBand) {
    // As the application object takes its owned topmost windows out of the
    // band while it is inactive, and puts them back.
    HWND owner = MakeWindow(WS_POPUP);
    HWND normal = MakeWindow(WS_POPUP);
    HWND topmost = MakeWindow(WS_POPUP, owner, "", 0, 0, 10, 10, WS_EX_TOPMOST);
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ASSERT_TRUE(GetWindowLongA(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(topmost, normal, 0, 0, 0, 0, keep);
    EXPECT_FALSE(GetWindowLongA(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ZOrder({normal, topmost}), (std::vector<HWND>{normal, topmost}));
    SetWindowPos(topmost, HWND_TOPMOST, 0, 0, 0, 0, keep);
    EXPECT_TRUE(GetWindowLongA(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ZOrder({normal, topmost}), (std::vector<HWND>{topmost, normal}));
}

TEST_F(WindowShowTest, OwnedPopupsHideAndComeBackWithTheirOwner) {
    HWND owner = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND shown = MakeWindow(WS_POPUP | WS_VISIBLE, owner);
    HWND hidden = MakeWindow(WS_POPUP, owner);
    EXPECT_TRUE(ShowOwnedPopups(owner, FALSE));
    EXPECT_FALSE(IsWindowVisible(shown));
    EXPECT_TRUE(ShowOwnedPopups(owner, TRUE));
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_FALSE(IsWindowVisible(hidden));
}

TEST_F(WindowShowTest, FrameSizesAsAdjustWindowRectExComputesThem) {
    struct Case {
        DWORD style;
        DWORD exStyle;
    } cases[] = {{WS_OVERLAPPEDWINDOW, 0},
                 {0x84CA0000, 0},
                 {WS_POPUP, 0},
                 {WS_POPUP | WS_BORDER, 0},
                 {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW},
                 {WS_POPUP, WS_EX_DLGMODALFRAME},
                 {WS_POPUP | WS_THICKFRAME, WS_EX_CLIENTEDGE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.style << " " << c.exStyle);
        HWND window = MakeWindow(c.style, nullptr, "", 100, 100, 200, 150, c.exStyle);
        RECT expected = ClientRectOf(window);
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        expected = RECT{expected.left + origin.x, expected.top + origin.y,
                        expected.right + origin.x, expected.bottom + origin.y};
        AdjustWindowRectEx(&expected, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
        EXPECT_RECT(WindowRectOf(window), expected.left, expected.top, expected.right,
                    expected.bottom);
    }
    RECT rect{0, 0, 100, 100};
    AdjustWindowRectEx(&rect, WS_POPUP, FALSE, 0);
    EXPECT_RECT(rect, 0, 0, 100, 100);
    RECT bordered{0, 0, 100, 100};
    AdjustWindowRectEx(&bordered, WS_POPUP | WS_BORDER, FALSE, 0);
    EXPECT_RECT(bordered, -1, -1, 101, 101);
}

} // namespace
