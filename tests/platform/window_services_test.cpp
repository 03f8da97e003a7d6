// Finding windows, the first activation of the process, dialog keys and the
// multiple-document client.
#include "window_test_support.h"

#include <algorithm>

using namespace window_tests;

namespace {

class WindowServicesTest : public WindowTest {};

TEST_F(WindowServicesTest, WindowsAreFoundByPointAndByName) {
    HWND popup = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "Finder Target", 100, 100, 50, 50);
    HWND child = MakeWindow(WS_CHILD | WS_VISIBLE, popup, "", 10, 10, 20, 20);
    EXPECT_EQ(WindowFromPoint(POINT{105, 105}), popup);
    EXPECT_EQ(WindowFromPoint(POINT{115, 115}), child);
    EnableWindow(child, FALSE);
    EXPECT_EQ(WindowFromPoint(POINT{115, 115}), popup); // disabled children are looked through
    EXPECT_EQ(FindWindowA("WindowTest", "Finder Target"), popup);
    EXPECT_EQ(FindWindowA("windowtest", "finder target"), popup);
    EXPECT_EQ(FindWindowA(nullptr, "Finder Target"), popup);
    EXPECT_EQ(FindWindowA("WindowTest", "No such title"), nullptr);
}

TEST_F(WindowServicesTest, ChildrenAreFoundByPointOfTheParentsClientArea) {
    HWND popup = MakeWindow(WS_POPUP | WS_VISIBLE, nullptr, "", 100, 100, 200, 100);
    HWND disabled = MakeWindow(WS_CHILD | WS_VISIBLE | WS_DISABLED, popup, "", 10, 10, 40, 40);
    HWND hidden = MakeWindow(WS_CHILD, popup, "", 60, 10, 40, 40);
    HWND inner = MakeWindow(WS_CHILD | WS_VISIBLE, disabled, "", 5, 5, 10, 10);
    EXPECT_EQ(ChildWindowFromPointEx(popup, POINT{20, 20}, CWP_ALL), disabled);
    EXPECT_EQ(ChildWindowFromPointEx(popup, POINT{20, 20}, CWP_SKIPDISABLED), popup);
    EXPECT_EQ(ChildWindowFromPointEx(popup, POINT{70, 20}, CWP_ALL), hidden);
    EXPECT_EQ(ChildWindowFromPointEx(popup, POINT{70, 20}, CWP_SKIPINVISIBLE), popup);
    // Only the parent's own children: a grandchild is not looked at.
    EXPECT_EQ(ChildWindowFromPointEx(popup, POINT{17, 17}, CWP_ALL), disabled);
    EXPECT_EQ(ChildWindowFromPointEx(disabled, POINT{7, 7}, CWP_ALL), inner);
    EXPECT_EQ(ChildWindowFromPointEx(popup, POINT{150, 50}, CWP_ALL), popup);
    EXPECT_EQ(ChildWindowFromPointEx(popup, POINT{250, 50}, CWP_ALL), nullptr);
    EXPECT_EQ(ChildWindowFromPointEx(popup, POINT{-1, 5}, CWP_ALL), nullptr);
}

TEST_F(WindowServicesTest, TheFirstActivationTellsEveryWindowOfTheProcess) {
    ASSERT_EQ(GetActiveWindow(), nullptr); // the fixture destroyed every window
    HWND hidden = MakeWindow(WS_POPUP);
    ClearLog();
    HWND shown = MakeWindow(WS_POPUP | WS_VISIBLE);
    std::vector<HWND> told;
    for (const Received& r : Log())
        if (r.message == WM_ACTIVATEAPP && r.wParam) told.push_back(r.window);
    EXPECT_EQ(told.size(), 2u);
    EXPECT_NE(std::find(told.begin(), told.end(), hidden), told.end());
    EXPECT_NE(std::find(told.begin(), told.end(), shown), told.end());
    // Activation moving between the process's windows tells nobody.
    HWND other = MakeWindow(WS_POPUP);
    ClearLog();
    SetActiveWindow(other);
    EXPECT_TRUE(Watched({WM_ACTIVATEAPP}).empty());
    // Leaving the process's windows does.
    ClearLog();
    DestroyWindow(other);
    DestroyWindow(shown);
    bool inactive = false;
    for (const Received& r : Log())
        if (r.message == WM_ACTIVATEAPP && r.window == hidden && !r.wParam) inactive = true;
    EXPECT_TRUE(inactive);
}

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Received{window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

MSG KeyDown(HWND window, WPARAM key) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    return msg;
}

TEST_F(WindowServicesTest, DialogKeysMoveTheFocusAndPressButtons) {
    RegisterClassWith("DialogLike", DialogProcedure);
    HWND dialog =
        CreateWindowExA(WS_EX_CONTROLPARENT, "DialogLike", "dialog", WS_POPUP | WS_VISIBLE, 0, 0,
                        200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND first = MakeWindow(WS_CHILD | WS_VISIBLE | WS_TABSTOP, dialog, "", 0, 0, 10, 10);
    HWND plain = MakeWindow(WS_CHILD | WS_VISIBLE, dialog, "", 20, 0, 10, 10);
    HWND second = MakeWindow(WS_CHILD | WS_VISIBLE | WS_TABSTOP, dialog, "", 40, 0, 10, 10);
    SetFocus(first);
    MSG tab = KeyDown(first, VK_TAB);
    EXPECT_TRUE(IsDialogMessageA(dialog, &tab));
    EXPECT_EQ(GetFocus(), second);
    MSG tabAgain = KeyDown(second, VK_TAB);
    EXPECT_TRUE(IsDialogMessageA(dialog, &tabAgain));
    EXPECT_EQ(GetFocus(), first);
    ClearLog();
    MSG escape = KeyDown(first, VK_ESCAPE);
    EXPECT_TRUE(IsDialogMessageA(dialog, &escape));
    bool cancelled = false;
    for (const Received& r : Log())
        if (r.window == dialog && r.message == WM_COMMAND && LOWORD(r.wParam) == IDCANCEL)
            cancelled = true;
    EXPECT_TRUE(cancelled);
    // Other messages for the dialog are dispatched by it.
    ClearLog();
    MSG other{};
    other.hwnd = plain;
    other.message = WM_USER + 3;
    EXPECT_TRUE(IsDialogMessageA(dialog, &other));
    EXPECT_MESSAGES(Watched({WM_USER + 3}, plain), WM_USER + 3);
    // Messages of other windows are not its business.
    HWND stranger = MakeWindow(WS_POPUP);
    MSG elsewhere = KeyDown(stranger, VK_TAB);
    EXPECT_FALSE(IsDialogMessageA(dialog, &elsewhere));
    DestroyWindow(dialog);
}

TEST_F(WindowServicesTest, MdiClientCreatesAndDestroysChildren) {
    HWND frame =
        MakeWindow(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, nullptr, "frame", 0, 0, 400, 300);
    CLIENTCREATESTRUCT clientCreate{nullptr, 0xFF00};
    HWND client = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                  WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 300, 200, frame,
                                  nullptr, GetModuleHandleA(nullptr), &clientCreate);
    ASSERT_NE(client, nullptr);
    MDICREATESTRUCTA create{};
    create.szClass = RecordingClass();
    create.szTitle = "child";
    create.hOwner = GetModuleHandleA(nullptr);
    create.x = 5;
    create.y = 6;
    create.cx = 100;
    create.cy = 80;
    HWND child = reinterpret_cast<HWND>(
        SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), client);
    EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_MDICHILD);
    char title[16];
    GetWindowTextA(child, title, sizeof(title));
    EXPECT_STREQ(title, "child");
    MSG msg{};
    msg.hwnd = child;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    EXPECT_FALSE(TranslateMDISysAccel(client, &msg));
    SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(IsWindow(client));
}

} // namespace
