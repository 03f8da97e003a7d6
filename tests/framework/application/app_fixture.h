// A started framework (the controls and forms modules) for one test, test
// classes of forms and components, plain windows, and the message boxes the
// test process showed.
#pragma once

#include "framework/application/application.h"
#include "framework/application/framework_modules.h"
#include "framework/forms/screen.h"
#include "journal_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A form built with its defaults, without a description.
class TTestForm : public TForm {
public:
    DECLARE_CLASS_INFO()
    void Create(TComponent* owner) override;
};

// A form whose construction fails after the form was built with its defaults.
class TFailingForm : public TTestForm {
public:
    DECLARE_CLASS_INFO()
    void Create(TComponent* owner) override;
};

// A form whose construction is abandoned with EAbort.
class TAbortingForm : public TTestForm {
public:
    DECLARE_CLASS_INFO()
    void Create(TComponent* owner) override;
};

class TPlainComponent : public TComponent {
public:
    DECLARE_CLASS_INFO()
};

// A form that records the messages it handles.
class TRecordingForm : public TTestForm {
public:
    DECLARE_CLASS_INFO()
    std::vector<UINT> received;
    void HandleMessage(TMessage& message) override;
};

// A control that records the messages its window receives; with claimKeys
// it takes the key notifications that the message loop offers before dispatch.
class TRecordingControl : public TWinControl {
public:
    DECLARE_CLASS_INFO()
    std::vector<UINT> received;
    bool claimKeys = false;
    void HandleMessage(TMessage& message) override;

protected:
    void FillWindowParams(TWindowParams& params) override;
};

// A hint popup that counts how many were made.
class TCountingHintWindow : public THintWindow {
public:
    DECLARE_CLASS_INFO()
    static int made;
    void Create(TComponent* owner) override;
};

// A message box as the host journals it.
struct ShownBox {
    std::string ownerClass; // empty for a box without owner
    std::string text;
    std::string caption;
    int64_t flags;
};
std::vector<ShownBox> ShownBoxes();

// A top-level window of a plain class of the test's own (DefWindowProcA).
// The window is destroyed by DestroyMadeWindows (the fixture's tear-down).
HWND MakeWindow(DWORD style, DWORD exStyle = 0, HWND owner = nullptr);
std::vector<HWND>& MadeWindows();
void DestroyMadeWindows();

// A message hook of the application object for one scope: the object the
// hook calls lives no longer than the scope.
class ScopedMessageHook {
public:
    ScopedMessageHook(TApplication* app, TMethod method) : app_(app), hook_{method} {
        app_->AddMessageHook(hook_);
    }
    ~ScopedMessageHook() { app_->RemoveMessageHook(hook_); }
    ScopedMessageHook(const ScopedMessageHook&) = delete;
    ScopedMessageHook& operator=(const ScopedMessageHook&) = delete;

private:
    TApplication* app_;
    TMessageHook hook_;
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TApplication* app = nullptr;
    HWND appWindow = nullptr;
};
