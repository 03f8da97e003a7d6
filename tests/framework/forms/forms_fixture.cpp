#include "forms_fixture.h"

#include "framework/application/framework_modules.h"
#include "framework/controls/graphics.h"
#include "framework/streaming/loading.h"
#include "runtime/exceptions.h"
#include "system/doublebyte.h"

#include <cstdio>
#include <cstdlib>

namespace {
const TMethodEntry testFormMethods[] = {
    PublishedMethod<&TTestFormBase::FormCreate>("FormCreate"),
    PublishedMethod<&TTestFormBase::FormDestroy>("FormDestroy"),
    PublishedMethod<&TTestFormBase::FormShow>("FormShow"),
};
constexpr const TClass* clientFormFields[] = {&TTestPanel::ClassInfo};
} // namespace

constinit const TClass TTestFormBase::ClassInfo =
    MakeClass<TTestFormBase>("TTestFormBase", &TForm::ClassInfo, {}, testFormMethods);
#define DEFINE_TEST_FORM(Name, Base)                                                               \
    constinit const TClass Name::ClassInfo = MakeClass<Name>(#Name, &Base::ClassInfo)
DEFINE_TEST_FORM(TOldOrderForm, TTestFormBase);
DEFINE_TEST_FORM(TNewOrderForm, TTestFormBase);
DEFINE_TEST_FORM(TShownForm, TTestFormBase);
DEFINE_TEST_FORM(TPlainForm, TTestFormBase);
DEFINE_TEST_FORM(TZeroTextForm, TTestFormBase);
DEFINE_TEST_FORM(TUnscaledForm, TTestFormBase);
DEFINE_TEST_FORM(TBaseForm, TTestFormBase);
DEFINE_TEST_FORM(TDerivedForm, TBaseForm);
DEFINE_TEST_FORM(TBrokenForm, TTestFormBase);
DEFINE_TEST_FORM(TNoDescriptionForm, TTestFormBase);
DEFINE_TEST_FORM(TFormMain, TTestFormBase);
DEFINE_TEST_FORM(TRaisingForm, TTestFormBase);
DEFINE_TEST_FORM(TTestPanel, TWinControl);
DEFINE_TEST_FORM(TBlankForm, TForm);
constinit const TClass TClientForm::ClassInfo =
    MakeClass<TClientForm>("TClientForm", &TTestFormBase::ClassInfo, {}, {}, clientFormFields);

void TTestFormBase::FormCreate(TObject*) {
    events.push_back("create");
    lockHeldInCreate = NameSpaceLock().HeldForWriting();
    shownInCreate = HandleAllocated() && IsWindowVisible(Handle());
    flagsInCreate = BuildFlags();
    primaryInCreate = TheApplication ? TheApplication->PrimaryForm() : nullptr;
}

void TTestFormBase::FormDestroy(TObject*) {
    events.push_back("destroy");
}

void TTestFormBase::FormShow(TObject*) {
    events.push_back("show");
}

void TRaisingForm::FormCreate(TObject* sender) {
    TTestFormBase::FormCreate(sender);
    throw EConvertError("creation handler failed");
}

std::string TestLibraryPath(const std::string& file) {
    std::string path = std::string("Z:") + TEST_PE_DIR + "/" + file;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

ScopedResourceModule::ScopedResourceModule(const std::string& file) {
    HINSTANCE module =
        LoadLibraryExA(TestLibraryPath(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(module, nullptr) << file << " error " << GetLastError();
    HINSTANCE program = GetModuleHandleA(nullptr);
    record_.ModuleHandle = program;
    record_.CodeHandle = program;
    record_.DataHandle = program;
    record_.ResourceHandle = module ? module : program;
    RegisterModule(record_);
}

ScopedResourceModule::~ScopedResourceModule() {
    UnregisterModule(record_);
    if (record_.ResourceHandle != record_.ModuleHandle) FreeLibrary(record_.ResourceHandle);
}

std::vector<ShownBox> ShownBoxes() {
    std::vector<ShownBox> boxes;
    for (const JournalLine& line : JournalEvents("message_box"))
        boxes.push_back({line.Bytes("text"), line.Bytes("caption"), line.Number("flags")});
    return boxes;
}

void FormsTest::SetUp() {
    // A journal of the test's own, so that tests run in one process never
    // see each other's events.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string journal = std::string(std::getenv("HOSTWIN_PREFIX")) + "/journal-" +
                          test->test_suite_name() + "." + test->name() + ".jsonl";
    for (size_t i = journal.rfind('/') + 1; i < journal.size(); ++i)
        if (journal[i] == '/') journal[i] = '_';
    std::remove(journal.c_str());
    setenv("HOSTWIN_JOURNAL", journal.c_str(), 1);
    StartDoubleByteModule();
    StartControlsModule();
    StartGraphicsModule();
    StartFormsModule();
    app = TheApplication;
    ASSERT_NE(app, nullptr);
}

void FormsTest::TearDown() {
    StopFormsModule();
    StopGraphicsModule();
    StopControlsModule();
}
