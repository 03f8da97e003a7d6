// A started framework (controls, graphics and forms modules with the
// application object) for one forms test, the test form classes whose
// descriptions the test resource library carries, and the resource modules
// a test reads descriptions from.
#pragma once

#include "framework/application/application.h"
#include "framework/forms/form.h"
#include "framework/forms/screen.h"
#include "runtime/module_registry.h"
#include "tests/framework/application/journal_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Published handlers that record what they saw.
class TTestFormBase : public TForm {
public:
    DECLARE_CLASS_INFO()
    std::vector<std::string> events;
    bool lockHeldInCreate = false;
    bool shownInCreate = false;
    TFormBuildFlags flagsInCreate = 0;
    TCustomForm* primaryInCreate = reinterpret_cast<TCustomForm*>(1);

    virtual void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void FormShow(TObject* sender);
};

#define DECLARE_TEST_FORM(Name, Base)                                                              \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        DECLARE_CLASS_INFO()                                                                       \
    }
DECLARE_TEST_FORM(TOldOrderForm, TTestFormBase);
DECLARE_TEST_FORM(TNewOrderForm, TTestFormBase);
DECLARE_TEST_FORM(TShownForm, TTestFormBase);
DECLARE_TEST_FORM(TPlainForm, TTestFormBase);
DECLARE_TEST_FORM(TZeroTextForm, TTestFormBase);
DECLARE_TEST_FORM(TUnscaledForm, TTestFormBase);
DECLARE_TEST_FORM(TClientForm, TTestFormBase);
DECLARE_TEST_FORM(TBaseForm, TTestFormBase);
DECLARE_TEST_FORM(TDerivedForm, TBaseForm);
DECLARE_TEST_FORM(TBrokenForm, TTestFormBase);
DECLARE_TEST_FORM(TNoDescriptionForm, TTestFormBase);
// Named so that its class record's name is the launcher's: it reads "TFORMMAIN".
DECLARE_TEST_FORM(TFormMain, TTestFormBase);

// A creation handler that raises.
class TRaisingForm : public TTestFormBase {
public:
    DECLARE_CLASS_INFO()
    void FormCreate(TObject* sender) override;
};

// A windowed control placed on a form by its description.
class TTestPanel : public TWinControl {
public:
    DECLARE_CLASS_INFO()
};

// A form built blank, for tests of the window and of showing.
class TBlankForm : public TForm {
public:
    DECLARE_CLASS_INFO()
    void Create(TComponent* owner) override { CreateBlank(owner, 0); }
    // Marks the form as running modally, as a modal run does while it lasts.
    void EnterModalRun() { IncludeBuildFlags(bfModalRun); }
};

// The file of a test resource library (tests/CMakeLists.txt) as a Windows path.
std::string TestLibraryPath(const std::string& file);

// Makes a loaded resource library the program's resource module for a scope,
// as a language resource module chosen at start-up is.
class ScopedResourceModule {
public:
    explicit ScopedResourceModule(const std::string& file);
    ~ScopedResourceModule();
    ScopedResourceModule(const ScopedResourceModule&) = delete;
    ScopedResourceModule& operator=(const ScopedResourceModule&) = delete;
    HINSTANCE Module() const { return record_.ResourceHandle; }

private:
    ModuleRecord record_;
};

// The message of the exception of class E that the call raises; a failure
// (and "<none>") when it raises none.
template <class E, class F> std::string MessageOf(F&& call) {
    try {
        call();
    } catch (const E& error) {
        return error.Message();
    }
    ADD_FAILURE() << "no exception";
    return "<none>";
}

// A message box as the host journals it.
struct ShownBox {
    std::string text;
    std::string caption;
    int64_t flags;
};
std::vector<ShownBox> ShownBoxes();

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates a form of the class as the application's forms are created.
    template <class T> T* Instantiate() {
        T* form = nullptr;
        app->InstantiateForm(&T::ClassInfo, form);
        return form;
    }

    TApplication* app = nullptr;
};
