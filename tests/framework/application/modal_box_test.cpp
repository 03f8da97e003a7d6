// The modal message box on several monitors and nested inside another.
#include "app_fixture.h"

#include <cstdlib>

namespace {

// Two monitors side by side: the primary 1024 x 768 one and an 800 x 600 one
// to its right. The host reads its machine once, so this works only before
// anything else asked it: CTest runs every test in a process of its own.
class TwoMonitorTest : public ApplicationTest {
protected:
    void SetUp() override {
        setenv("HOSTWIN_MONITORS", "0,0,1024x768;1024,0,800x600", 1);
        if (GetSystemMetrics(SM_CMONITORS) != 2)
            GTEST_SKIP() << "needs a process of its own, as CTest runs it";
        ApplicationTest::SetUp();
    }
};

// Records where the application window is while a box is up: the box
// disables its owner, which reaches the application window as WM_ENABLE.
struct BoxWatcher : TObject {
    HWND appWindow = nullptr;
    std::vector<RECT> whileShown;
    bool Hook(TMessage* message) {
        if (message->Msg == WM_ENABLE && message->WParam == 0) {
            RECT rect{};
            GetWindowRect(appWindow, &rect);
            whileShown.push_back(rect);
        }
        return false;
    }
};

TEST_F(TwoMonitorTest, TheBoxOpensOnTheActiveWindowsMonitorAndTheWindowGoesBack) {
    BoxWatcher watcher;
    watcher.appWindow = appWindow;
    ScopedMessageHook hook(app, BindMethod<&BoxWatcher::Hook>(&watcher));
    RECT before{};
    GetWindowRect(appWindow, &before);

    HWND onSecond = MakeWindow(WS_POPUP | WS_VISIBLE);
    SetWindowPos(onSecond, nullptr, 1100, 100, 200, 100, SWP_NOZORDER);
    SetActiveWindow(onSecond);
    app->ModalMessageBox("second", "Information", MB_ICONINFORMATION);

    HWND onFirst = MakeWindow(WS_POPUP | WS_VISIBLE);
    SetActiveWindow(onFirst);
    app->ModalMessageBox("first", "Information", MB_ICONINFORMATION);

    ASSERT_EQ(watcher.whileShown.size(), 2u);
    EXPECT_EQ(watcher.whileShown[0].left, 1024 + 400);
    EXPECT_EQ(watcher.whileShown[0].top, 300);
    EXPECT_EQ(watcher.whileShown[0].right, 1024 + 400); // still zero-sized
    EXPECT_EQ(watcher.whileShown[1].left, before.left); // same monitor: not moved
    RECT after{};
    GetWindowRect(appWindow, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
}

// Opens a second box while the first one is up.
struct NestingWatcher : TObject {
    TApplication* app = nullptr;
    HWND appeared = nullptr;
    bool nested = false;
    bool Hook(TMessage* message) {
        if (message->Msg == WM_ENABLE && message->WParam == 0 && !nested) {
            nested = true;
            appeared = MakeWindow(WS_POPUP | WS_VISIBLE); // a window opened meanwhile
            app->ModalMessageBox("inner", "Information", MB_ICONINFORMATION);
        }
        return false;
    }
};

TEST_F(ApplicationTest, NestedModalBoxesReenableExactlyWhatEachDisabled) {
    HWND shown = MakeWindow(WS_POPUP | WS_VISIBLE);
    HWND disabled = MakeWindow(WS_POPUP | WS_VISIBLE | WS_DISABLED);
    NestingWatcher watcher;
    watcher.app = app;
    ScopedMessageHook hook(app, BindMethod<&NestingWatcher::Hook>(&watcher));
    app->ModalMessageBox("outer", "Information", MB_ICONINFORMATION);

    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "inner");
    EXPECT_EQ(boxes[1].text, "outer");
    EXPECT_TRUE(IsWindowEnabled(shown));
    EXPECT_TRUE(IsWindowEnabled(watcher.appeared));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    EXPECT_TRUE(IsWindowEnabled(appWindow));
}

} // namespace
