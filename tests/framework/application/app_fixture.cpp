#include "app_fixture.h"

#include "runtime/exceptions.h"
#include "system/doublebyte.h"

#include <cstdio>
#include <cstdlib>

constinit const TClass TTestForm::ClassInfo = MakeClass<TTestForm>("TTestForm", &TForm::ClassInfo);
constinit const TClass TFailingForm::ClassInfo =
    MakeClass<TFailingForm>("TFailingForm", &TTestForm::ClassInfo);
constinit const TClass TAbortingForm::ClassInfo =
    MakeClass<TAbortingForm>("TAbortingForm", &TTestForm::ClassInfo);
constinit const TClass TPlainComponent::ClassInfo =
    MakeClass<TPlainComponent>("TPlainComponent", &TComponent::ClassInfo);
constinit const TClass TRecordingForm::ClassInfo =
    MakeClass<TRecordingForm>("TRecordingForm", &TTestForm::ClassInfo);
constinit const TClass TCountingHintWindow::ClassInfo =
    MakeClass<TCountingHintWindow>("TCountingHintWindow", &THintWindow::ClassInfo);
int TCountingHintWindow::made = 0;

void TCountingHintWindow::Create(TComponent* owner) {
    THintWindow::Create(owner);
    ++made;
}

void TRecordingForm::HandleMessage(TMessage& message) {
    received.push_back(message.Msg);
    TTestForm::HandleMessage(message);
}

constinit const TClass TRecordingControl::ClassInfo =
    MakeClass<TRecordingControl>("TRecordingControl", &TWinControl::ClassInfo);

void TTestForm::Create(TComponent* owner) {
    CreateBlank(owner, 0);
}

void TFailingForm::Create(TComponent* owner) {
    TTestForm::Create(owner);
    throw EReadError("broken description");
}

void TAbortingForm::Create(TComponent* owner) {
    TTestForm::Create(owner);
    throw EAbort("construction abandoned");
}

void TRecordingControl::HandleMessage(TMessage& message) {
    received.push_back(message.Msg);
    if (claimKeys && message.Msg == WM_KEYDOWN + NotifyOffset) {
        message.Result = 1;
        return;
    }
    TWinControl::HandleMessage(message);
}

void TRecordingControl::FillWindowParams(TWindowParams& params) {
    TWinControl::FillWindowParams(params);
    params.Style = WS_POPUP | WS_VISIBLE;
    params.Width = params.Height = 50;
}

std::vector<ShownBox> ShownBoxes() {
    std::vector<ShownBox> boxes;
    for (const JournalLine& line : JournalEvents("message_box"))
        boxes.push_back({line.Bytes("owner_class"), line.Bytes("text"), line.Bytes("caption"),
                         line.Number("flags")});
    return boxes;
}

HWND MakeWindow(DWORD style, DWORD exStyle, HWND owner) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(instance, "PlainTestWindow", &windowClass)) {
        windowClass = WNDCLASSA{};
        windowClass.lpfnWndProc = &DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "PlainTestWindow";
        RegisterClassA(&windowClass);
    }
    HWND window = CreateWindowExA(exStyle, "PlainTestWindow", "plain", style, 10, 10, 100, 100,
                                  owner, nullptr, instance, nullptr);
    MadeWindows().push_back(window);
    return window;
}

std::vector<HWND>& MadeWindows() {
    static std::vector<HWND> windows;
    return windows;
}

void DestroyMadeWindows() {
    for (HWND window : MadeWindows())
        if (IsWindow(window)) DestroyWindow(window);
    MadeWindows().clear();
}

void ApplicationTest::SetUp() {
    // A journal of this test's own, so that tests run in one process never
    // see each other's message boxes.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name)
        if (c == '/') c = '_';
    std::string journal =
        std::string(std::getenv("HOSTWIN_PREFIX")) + "/journal-" + name + ".jsonl";
    std::remove(journal.c_str());
    setenv("HOSTWIN_JOURNAL", journal.c_str(), 1);
    StartDoubleByteModule();
    StartControlsModule();
    StartFormsModule();
    app = TheApplication;
    ASSERT_NE(app, nullptr);
    appWindow = app->AppWindow();
}

void ApplicationTest::TearDown() {
    DestroyMadeWindows();
    StopFormsModule();
    StopControlsModule();
}
