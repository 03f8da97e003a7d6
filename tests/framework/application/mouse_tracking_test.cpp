// The control under the mouse as the idle step tracks it: disabled controls
// count, a window of another kind inside a control counts as the control,
// and the old and new hover controls are told.
#include "app_fixture.h"

#include <algorithm>

namespace {

// A visible child control that records the messages it handles.
class TChildRecorder : public TWinControl {
public:
    DECLARE_CLASS_INFO()
    std::vector<UINT> received;
    void HandleMessage(TMessage& message) override {
        received.push_back(message.Msg);
        TWinControl::HandleMessage(message);
    }
    int Count(UINT message) const {
        return static_cast<int>(std::count(received.begin(), received.end(), message));
    }

protected:
    void FillWindowParams(TWindowParams& params) override {
        TWinControl::FillWindowParams(params);
        params.Style |= WS_VISIBLE;
    }
};

constinit const TClass TChildRecorder::ClassInfo =
    MakeClass<TChildRecorder>("TChildRecorder", &TWinControl::ClassInfo);

class MouseTracking : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        app->InstantiateForm(&TRecordingForm::ClassInfo, form);
        form->SetBounds(100, 100, 300, 300);
        form->SetVisible(true);
        child = NewComponent<TChildRecorder>(form);
        child->SetParent(form);
        child->SetBounds(10, 10, 100, 100);
        child->HandleNeeded();
    }
    // Puts the cursor on a point of a window's client area and runs the tracking.
    void Hover(HWND window, int x, int y) {
        POINT point{x, y};
        ClientToScreen(window, &point);
        SetCursorPos(point.x, point.y);
        app->TrackMouse();
    }
    TRecordingForm* form = nullptr;
    TChildRecorder* child = nullptr;
};

TEST_F(MouseTracking, EnterAndLeaveGoToTheOldAndTheNewControl) {
    Hover(child->Handle(), 50, 50);
    EXPECT_EQ(app->HoverControl(), child);
    EXPECT_EQ(child->Count(AM_MOUSEENTER), 1);
    Hover(form->Handle(), 250, 250);
    EXPECT_EQ(app->HoverControl(), form);
    EXPECT_EQ(child->Count(AM_MOUSELEAVE), 1);
    EXPECT_EQ(std::count(form->received.begin(), form->received.end(), AM_MOUSEENTER), 1);
    Hover(form->Handle(), 251, 251); // the same control: nothing is told again
    EXPECT_EQ(std::count(form->received.begin(), form->received.end(), AM_MOUSEENTER), 1);
}

TEST_F(MouseTracking, ADisabledControlIsTheHoverControl) {
    child->SetEnabled(false);
    ASSERT_FALSE(IsWindowEnabled(child->Handle()));
    Hover(child->Handle(), 50, 50);
    EXPECT_EQ(app->HoverControl(), child);
    EXPECT_EQ(child->Count(AM_MOUSEENTER), 1);
    EXPECT_EQ(std::count(form->received.begin(), form->received.end(), AM_MOUSEENTER), 0);
}

TEST_F(MouseTracking, AForeignWindowInsideAControlCountsAsTheControl) {
    HWND foreign = MakeWindow(WS_CHILD | WS_VISIBLE, 0, child->Handle());
    ASSERT_EQ(GetParent(foreign), child->Handle());
    Hover(foreign, 20, 20);
    EXPECT_EQ(app->HoverControl(), child);
    EXPECT_EQ(child->Count(AM_MOUSEENTER), 1);
}

TEST_F(MouseTracking, AForeignPopupOwnedByAFormIsNoControl) {
    HWND popup = MakeWindow(WS_POPUP | WS_VISIBLE, 0, form->Handle());
    SetWindowPos(popup, HWND_TOP, 600, 600, 50, 50, SWP_NOACTIVATE);
    Hover(popup, 5, 5);
    EXPECT_EQ(app->HoverControl(), nullptr);
}

} // namespace
