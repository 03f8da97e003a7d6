// The program's main function over a started framework.
#include "framework/application/application_main.h"

#include "app_fixture.h"
#include "runtime/resstrings.h"

namespace {

TEST_F(ApplicationTest, ProgramEntryShowsAnExceptionOfTheMainFormEvenAnEAbort) {
    TForm* mainForm = nullptr;
    EXPECT_EQ(ProgramEntry(&TAbortingForm::ClassInfo, mainForm), 0);
    EXPECT_EQ(mainForm, nullptr);
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "construction abandoned.");
    EXPECT_EQ(boxes[0].caption, app->ReadTitle());
    EXPECT_EQ(boxes[0].flags, MB_ICONSTOP);
    EXPECT_FALSE(app->InLoop());
}

TEST_F(ApplicationTest, ProgramEntryReportsAForeignExceptionWithTheRuntimesBox) {
    StartupHook = [] { throw 42; };
    TForm* mainForm = nullptr;
    EXPECT_EQ(ProgramEntry(&TTestForm::ClassInfo, mainForm), 0);
    StartupHook = nullptr;
    EXPECT_EQ(mainForm, nullptr);
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].ownerClass, "");
    EXPECT_EQ(boxes[0].caption, LoadResString(SExceptionTitle));
    EXPECT_EQ(boxes[0].text.rfind("int", 0), 0u) << boxes[0].text;
    EXPECT_EQ(boxes[0].flags, MB_ICONSTOP | MB_TASKMODAL);
}

TEST_F(ApplicationTest, ProgramEntryRunsTheStartupHookThenTheLoopOverTheMainForm) {
    static int hookRuns = 0;
    StartupHook = [] { ++hookRuns; };
    TTestForm* mainForm = nullptr;
    StartupShowCommand = SW_SHOWDEFAULT;
    PostQuitMessage(0);
    EXPECT_EQ(ProgramEntry(&TTestForm::ClassInfo, mainForm), 0);
    StartupHook = nullptr;
    EXPECT_EQ(hookRuns, 1);
    ASSERT_NE(mainForm, nullptr);
    EXPECT_EQ(app->PrimaryForm(), mainForm);
    EXPECT_TRUE(mainForm->Visible());
    EXPECT_TRUE(app->QuitRequested());
    EXPECT_TRUE(ShownBoxes().empty());
}

} // namespace
