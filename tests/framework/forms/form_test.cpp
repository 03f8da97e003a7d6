// Forms with the screen object: registration, showing, closing and the
// lookup of top-level components by name.
#include "framework/controls/bound_method.h"
#include "framework/forms/form.h"
#include "framework/forms/screen.h"
#include "framework/streaming/registries.h"

#include <gtest/gtest.h>

namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheScreen = NewComponent<TScreen>(nullptr);
        InstallGlobalComponentLookup();
    }
    void TearDown() override {
        FreeObject(TheScreen);
        TheScreen = nullptr;
    }
};

struct CloseWatcher : TObject {
    TCloseChoice choice = ccHide;
    bool mayClose = true;
    int asked = 0;
    void Close(TObject*, TCloseChoice* action) { *action = choice; }
    void Query(TObject*, bool* answer) {
        ++asked;
        *answer = mayClose;
    }
};

TEST_F(FormTest, TheScreenListsLiveFormsInCreationOrder) {
    EXPECT_EQ(TheScreen->PixelsPerInch(), GetDeviceCaps(GetDC(nullptr), LOGPIXELSY));
    TForm* first = NewComponent<TForm>(nullptr);
    TCustomForm* custom = NewBlankForm<TCustomForm>(nullptr);
    TForm* second = NewComponent<TForm>(nullptr);
    ASSERT_EQ(TheScreen->CustomFormCount(), 3);
    EXPECT_EQ(TheScreen->CustomForms(1), custom);
    ASSERT_EQ(TheScreen->FormCount(), 2);
    EXPECT_EQ(TheScreen->Forms(0), first);
    EXPECT_EQ(TheScreen->Forms(1), second);
    FreeObject(first);
    EXPECT_EQ(TheScreen->CustomFormCount(), 2);
    EXPECT_EQ(TheScreen->Forms(0), second);
    FreeObject(custom);
    FreeObject(second);
    EXPECT_EQ(TheScreen->CustomFormCount(), 0);
}

TEST_F(FormTest, ShowingMakesTheWindowAndUsesTheWindowStatesCommand) {
    TOwned<TForm> form(NewComponent<TForm>(nullptr));
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->HandleAllocated());
    form->SetWindowState(wsMaximized);
    form->SetVisible(true);
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(IsZoomed(form->Handle()));
    form->SetWindowState(wsNormal);
    EXPECT_FALSE(IsZoomed(form->Handle()));
    form->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(ShowCommandOf(wsMinimized), SW_SHOWMINNOACTIVE);
}

TEST_F(FormTest, ClosingAFormThatIsNotPrimaryHidesItUnlessKeptOrRefused) {
    TOwned<TForm> form(NewComponent<TForm>(nullptr));
    CloseWatcher watcher;
    form->OnClose = BindEvent<&CloseWatcher::Close, TCloseEvent>(&watcher);
    form->OnCloseQuery = BindEvent<&CloseWatcher::Query, TCloseQueryEvent>(&watcher);
    form->SetVisible(true);

    watcher.mayClose = false;
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form->Visible());
    watcher.mayClose = true;
    watcher.choice = ccKeep;
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form->Visible());
    watcher.choice = ccHide;
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(watcher.asked, 3);
}

TEST_F(FormTest, TheLookupFindsTopLevelFormsByNameWithoutRegardToCase) {
    TOwned<TForm> form(NewComponent<TForm>(nullptr));
    form->SetName("MainWindow");
    TOwned<TForm> embedded(NewComponent<TForm>(nullptr));
    embedded->SetName("Inner");
    embedded->IncludeState(lsEmbedded);
    ASSERT_NE(GlobalComponentLookup, nullptr);
    EXPECT_EQ(GlobalComponentLookup("mainwindow"), form.get());
    EXPECT_EQ(GlobalComponentLookup("MAINWINDOW"), form.get());
    EXPECT_EQ(GlobalComponentLookup("Inner"), nullptr);
    EXPECT_EQ(GlobalComponentLookup("Other"), nullptr);
}

TEST_F(FormTest, ACreationHandlerThatRaisesDoesNotStopTheConstruction) {
    struct Failing : TObject {
        void Create(TObject*) { throw std::runtime_error("handler failed"); }
    } failing;
    TForm* form = static_cast<TForm*>(TForm::ClassInfo.NewObject());
    form->OnCreate = BindEvent<&Failing::Create, TNotifyEvent>(&failing);
    form->Create(nullptr);
    EXPECT_NO_THROW(form->ConstructionFinished());
    EXPECT_EQ(TheScreen->CustomFormCount(), 1);
    FreeObject(form);
}

} // namespace

namespace {

// The window class has no background brush, so a form that did not paint its
// own colour would leave its client area unpainted.
TEST_F(FormTest, AFormErasesItsBackgroundInItsOwnColour) {
    TOwned<TForm> form(NewComponent<TForm>(nullptr));
    form->SetVisible(true);
    HDC dc = GetDC(form->Handle());
    ASSERT_NE(dc, nullptr);
    for (TColor color : {static_cast<TColor>(0x8000000F), static_cast<TColor>(0x00336699)}) {
        form->SetColor(color);
        EXPECT_EQ(SendMessageA(form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1)
            << std::hex << static_cast<uint32_t>(color);
    }
    ReleaseDC(form->Handle(), dc);
}

} // namespace
