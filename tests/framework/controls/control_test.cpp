// Controls' windows: made on first need, found from their handles, and
// exceptions kept inside the window procedure.
#include "framework/controls/application_link.h"
#include "framework/controls/bound_method.h"
#include "framework/controls/control.h"
#include "framework/controls/icon.h"
#include "runtime/exceptions.h"

#include <gtest/gtest.h>

namespace {

class TThrowingControl : public TWinControl {
public:
    DECLARE_CLASS_INFO()
    void HandleMessage(TMessage& message) override {
        if (message.Msg == WM_USER + 1) throw EConvertError("inside the window procedure");
        TWinControl::HandleMessage(message);
    }

protected:
    void FillWindowParams(TWindowParams& params) override {
        TWinControl::FillWindowParams(params);
        params.Style = WS_POPUP;
    }
};
constinit const TClass TThrowingControl::ClassInfo =
    MakeClass<TThrowingControl>("TThrowingControl", &TWinControl::ClassInfo);

// An application link that records what reaches it.
struct RecordingApplication : TControlApplicationLink {
    std::vector<std::string> routed;
    std::vector<TObject*> forgotten;
    TObject* sender = nullptr;
    HWND AppWindow() const override { return nullptr; }
    void RouteException(TObject* from) override {
        sender = from;
        try {
            throw;
        } catch (const Exception& exception) {
            routed.push_back(exception.Message());
        }
    }
    HICON CurrentIcon() override { return nullptr; }
    HICON AppIconHandle() const override { return nullptr; }
    void ForgetControl(TObject* control) override { forgotten.push_back(control); }
};

TEST(WinControl, MakesItsWindowOnFirstNeedUnderAClassNamedAfterIt) {
    TOwned<TThrowingControl> control(NewComponent<TThrowingControl>(nullptr));
    EXPECT_FALSE(control->HandleAllocated());
    control->SetCaption("caption");
    HWND window = control->Handle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindControl(window), control.get());
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    EXPECT_STREQ(name, "TThrowingControl");
    char text[64] = {};
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "caption");
    control->SetCaption("changed");
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "changed");
    control.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindControl(window), nullptr);
}

TEST(WinControl, RoutesExceptionsOfItsWindowProcedureToTheApplication) {
    TOwned<TThrowingControl> control(NewComponent<TThrowingControl>(nullptr));
    HWND window = control->Handle();
    // Without an application object the exception is dropped at the boundary.
    EXPECT_EQ(SendMessageA(window, WM_USER + 1, 0, 0), 0);

    RecordingApplication application;
    SetControlApplication(&application);
    EXPECT_EQ(SendMessageA(window, WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(application.routed, std::vector<std::string>{"inside the window procedure"});
    EXPECT_EQ(application.sender, control.get());
    TThrowingControl* destroyed = control.get();
    control.reset();
    EXPECT_EQ(application.forgotten, std::vector<TObject*>{destroyed});
    SetControlApplication(nullptr);
}

TEST(WinControl, FindsTheEnclosingControlOfAForeignChildWindow) {
    TOwned<TThrowingControl> control(NewComponent<TThrowingControl>(nullptr));
    HWND child = CreateWindowExA(0, "TThrowingControl", "", WS_CHILD, 0, 0, 1, 1, control->Handle(),
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(FindControl(child), nullptr);
    EXPECT_EQ(FindEnclosingControl(child), control.get());
    EXPECT_EQ(FindEnclosingControl(nullptr), nullptr);
}

TEST(Control, LongHintIsTheTextAfterTheBar) {
    EXPECT_EQ(LongHintOf("short|long text"), "long text");
    EXPECT_EQ(LongHintOf("only"), "only");
    EXPECT_EQ(LongHintOf("a|b|c"), "b|c");
    EXPECT_EQ(LongHintOf(""), "");
}

TEST(Icon, NotifiesEachChangeOfItsHandle) {
    struct Watcher : TObject {
        int changes = 0;
        void Changed(TObject*) { ++changes; }
    } watcher;
    TOwned<TIcon> icon(new TIcon());
    icon->OnChange = BindEvent<&Watcher::Changed, TNotifyEvent>(&watcher);
    EXPECT_TRUE(icon->Empty());
    HICON shared = LoadIconA(nullptr, IDI_APPLICATION);
    icon->SetHandle(shared);
    icon->SetHandle(shared);
    EXPECT_EQ(watcher.changes, 1);
    EXPECT_EQ(icon->Handle(), shared);
    icon->SetHandle(nullptr);
    EXPECT_EQ(watcher.changes, 2);
    EXPECT_TRUE(icon->Empty());
}

} // namespace
