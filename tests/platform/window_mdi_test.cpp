// The multiple-document client's answers to the messages that show, maximise,
// restore and activate its children, observed through the children's state.
#include "window_test_support.h"

#include <string>

using namespace window_tests;

namespace {

// A frame with a multiple-document client (without MDIS_ALLCHILDSTYLES, so
// every child is made visible) and children of a class run by DefMDIChildProcA.
class WindowMdiTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        frame = MakeWindow(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, nullptr, "frame", 0,
                           0, 640, 480);
        CLIENTCREATESTRUCT clientCreate{nullptr, 0xFF00};
        client = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                 WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 600, 400, frame,
                                 nullptr, GetModuleHandleA(nullptr), &clientCreate);
        ASSERT_NE(client, nullptr);
    }

    HWND Child(DWORD style = 0) {
        MDICREATESTRUCTA create{};
        create.szClass = RegisterClassWith("MdiChildTest", DefMDIChildProcA);
        create.szTitle = "child";
        create.hOwner = GetModuleHandleA(nullptr);
        create.x = create.y = 10;
        create.cx = 200;
        create.cy = 150;
        create.style =
            WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | style;
        return reinterpret_cast<HWND>(
            SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    }

    HWND Active() const {
        return reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
    }
    void Send(UINT message, HWND child) const {
        SendMessageA(client, message, reinterpret_cast<WPARAM>(child), 0);
    }
    // "shown"/"hidden", "normal"/"minimised"/"maximised", and " active" for
    // the client's active child.
    std::string StateOf(HWND child) const {
        std::string state = IsWindowVisible(child) ? "shown " : "hidden ";
        state += IsZoomed(child) ? "maximised" : IsIconic(child) ? "minimised" : "normal";
        return Active() == child ? state + " active" : state;
    }

    HWND frame = nullptr, client = nullptr;
};

TEST_F(WindowMdiTest, ANewChildIsShownActiveInTheStateItsStyleAsks) {
    HWND plain = Child();
    EXPECT_EQ(StateOf(plain), "shown normal active");
    HWND minimised = Child(WS_MINIMIZE);
    EXPECT_EQ(StateOf(minimised), "shown minimised active");
    HWND maximised = Child(WS_MAXIMIZE);
    EXPECT_EQ(StateOf(maximised), "shown maximised active");
    EXPECT_EQ(StateOf(plain), "shown normal");
    RECT area = ClientRectOf(client);
    RECT inside = ClientRectOf(maximised);
    EXPECT_GE(inside.right, area.right); // its client area covers the client's
    EXPECT_GE(inside.bottom, area.bottom);
}

TEST_F(WindowMdiTest, MaximisingOrRestoringFromMinimisedActivatesAChild) {
    HWND first = Child();
    HWND second = Child();
    Send(WM_MDIMAXIMIZE, first);
    EXPECT_EQ(StateOf(first), "shown maximised active");
    EXPECT_EQ(StateOf(second), "shown normal");
    Send(WM_MDIRESTORE, first);
    EXPECT_EQ(StateOf(first), "shown normal active");

    // Minimised without activation, a child leaves the active one alone;
    // restored by the client, it becomes the active one.
    ShowWindow(second, SW_SHOWMINNOACTIVE);
    EXPECT_EQ(StateOf(second), "shown minimised");
    Send(WM_MDIRESTORE, second);
    EXPECT_EQ(StateOf(second), "shown normal active");
}

TEST_F(WindowMdiTest, RestoringOrMaximisingAHiddenChildShowsIt) {
    HWND child = Child();
    HWND other = Child();
    ShowWindow(child, SW_HIDE);
    Send(WM_MDIRESTORE, child);
    EXPECT_EQ(StateOf(child), "shown normal"); // but not activated
    EXPECT_EQ(StateOf(other), "shown normal active");
    ShowWindow(child, SW_HIDE);
    Send(WM_MDIMAXIMIZE, child);
    EXPECT_EQ(StateOf(child), "shown maximised active");
}

TEST_F(WindowMdiTest, AChildActivatedWhileTheActiveOneIsMaximisedTakesOverTheMaximisedState) {
    HWND first = Child();
    HWND second = Child();
    Send(WM_MDIMAXIMIZE, second);
    Send(WM_MDIACTIVATE, first);
    EXPECT_EQ(StateOf(first), "shown maximised active");
    EXPECT_EQ(StateOf(second), "shown normal");

    // Even a minimised child is opened maximised.
    ShowWindow(second, SW_SHOWMINNOACTIVE);
    ASSERT_EQ(StateOf(second), "shown minimised");
    Send(WM_MDIACTIVATE, second);
    EXPECT_EQ(StateOf(second), "shown maximised active");
    EXPECT_EQ(StateOf(first), "shown normal");

    // Activation alone does not show a hidden child.
    Send(WM_MDIRESTORE, second);
    ShowWindow(first, SW_HIDE);
    Send(WM_MDIACTIVATE, first);
    EXPECT_EQ(StateOf(first), "hidden normal active");
}

TEST_F(WindowMdiTest, ANewChildRestoresTheMaximisedOne) {
    HWND first = Child();
    Send(WM_MDIMAXIMIZE, first);
    HWND second = Child(WS_MINIMIZE);
    EXPECT_EQ(StateOf(first), "shown normal");
    EXPECT_EQ(StateOf(second), "shown minimised active");
    // When the active child goes, the next one takes over.
    Send(WM_MDIDESTROY, second);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(StateOf(first), "shown normal active");
}

} // namespace
