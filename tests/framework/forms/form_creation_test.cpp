// Building forms from the descriptions of their class chain: the creation
// handler's moment, scaling while a description is read, the resource module
// the descriptions come from, and destruction.
#include "forms_fixture.h"

#include "framework/forms/description_loading.h"
#include "framework/forms/resource_stream.h"
#include "framework/streaming/loading.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <limits>

#include <unistd.h>

namespace {

TEST_F(FormsTest, AFormWithoutDescriptionFailsWithItsClassNameAndNeverRunsTheHandler) {
    ScopedResourceModule tests("forms_test.dll");
    TNoDescriptionForm* form = nullptr;
    EXPECT_EQ(MessageOf<EResNotFound>(
                  [&] { app->InstantiateForm(&TNoDescriptionForm::ClassInfo, form); }),
              FormatResString(SResNotFound, {"TNoDescriptionForm"}));
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(app->PrimaryForm(), nullptr);
    EXPECT_EQ(TheScreen->CustomFormCount(), 0);
    EXPECT_FALSE(NameSpaceLock().HeldForWriting());
}

TEST_F(FormsTest, AFormOfClassTFormGetsItsDefaultsWithoutLookingForADescription) {
    // The test library's descriptions would set the bounds and captions of any form they reached.
    ScopedResourceModule tests("forms_test.dll");
    TForm* form = Instantiate<TForm>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption(), "");
    EXPECT_EQ(form->Left(), 0);
    EXPECT_EQ(form->Top(), 0);
    EXPECT_EQ(form->Width(), 320);
    EXPECT_EQ(form->Height(), 240);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->ParentFont());
    EXPECT_TRUE(form->Ctl3D());
    EXPECT_EQ(form->BorderIcons(), BorderIconSet({biSystemMenu, biMinimize, biMaximize}));
    EXPECT_EQ(form->BorderStyle(), bsSizeable);
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_EQ(form->DefaultMonitor(), dmActiveForm);
    EXPECT_EQ(form->Position(), poDesigned);
    EXPECT_EQ(form->FormStyle(), fsNormal);
    EXPECT_EQ(form->PrintScale(), poProportional);
    EXPECT_FALSE(form->OldCreateOrder());
    EXPECT_TRUE(form->Scaled());
    EXPECT_EQ(form->PixelsPerInch(), TheScreen->PixelsPerInch());
    EXPECT_EQ(form->Icon()->Width(), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(form->Icon()->Height(), GetSystemMetrics(SM_CYSMICON));
    EXPECT_TRUE(form->Icon()->Empty());
    EXPECT_EQ(form->Surface()->Control(), form);
    EXPECT_EQ(form->ModalOutcome(), 0);
    EXPECT_EQ(form->BuildFlags(), 0);
    ASSERT_EQ(TheScreen->FormCount(), 1);
    EXPECT_EQ(TheScreen->Forms(0), form);
    // InstantiateForm made it the primary form, with its window.
    EXPECT_EQ(app->PrimaryForm(), form);
    EXPECT_TRUE(form->HandleAllocated());
}

TEST_F(FormsTest, TheCreationHandlerRunsOnceAfterConstructionOrInsideItByOldCreateOrder) {
    ScopedResourceModule tests("forms_test.dll");
    TNewOrderForm* late = Instantiate<TNewOrderForm>();
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->events, std::vector<std::string>{"create"});
    EXPECT_FALSE(late->lockHeldInCreate);
    EXPECT_EQ(late->primaryInCreate, nullptr); // before InstantiateForm returned
    EXPECT_EQ(app->PrimaryForm(), late);

    TOldOrderForm* early = Instantiate<TOldOrderForm>();
    ASSERT_NE(early, nullptr);
    EXPECT_TRUE(early->OldCreateOrder());
    EXPECT_EQ(early->events, std::vector<std::string>{"create"});
    EXPECT_TRUE(early->lockHeldInCreate);
    EXPECT_EQ(early->flagsInCreate & bfConstructing, 0);
    EXPECT_FALSE(NameSpaceLock().HeldForWriting());

    // The destruction handler runs once too, whichever the order.
    FreeObject(early);
    FreeObject(late);
    EXPECT_EQ(TheScreen->CustomFormCount(), 0);
    EXPECT_FALSE(NameSpaceLock().HeldForWriting());
}

TEST_F(FormsTest, DestructionRunsTheHandlerOnceAndForgetsTheForm) {
    ScopedResourceModule tests("forms_test.dll");
    struct Watcher : TObject {
        std::vector<std::string>* events = nullptr;
        bool lockHeld = false;
        void Destroyed(TObject*) {
            events->push_back("watched destroy");
            lockHeld = NameSpaceLock().HeldForWriting();
        }
    };
    for (const TClass* cls : {&TNewOrderForm::ClassInfo, &TOldOrderForm::ClassInfo}) {
        SCOPED_TRACE(cls->Name);
        TTestFormBase* form = nullptr;
        app->InstantiateForm(cls, form);
        ASSERT_NE(form, nullptr);
        std::vector<std::string> events;
        Watcher watcher;
        watcher.events = &events;
        form->OnDestroy = BindEvent<&Watcher::Destroyed, TNotifyEvent>(&watcher);
        HWND window = form->Handle();
        FreeObject(form);
        EXPECT_EQ(events, std::vector<std::string>{"watched destroy"});
        EXPECT_TRUE(watcher.lockHeld);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(TheScreen->CustomFormCount(), 0);
        EXPECT_EQ(app->PrimaryForm(), nullptr);
    }
    EXPECT_FALSE(NameSpaceLock().HeldForWriting());
}

TEST_F(FormsTest, ARaisingCreationHandlerIsShownAndTheFormIsStillMadeAndShown) {
    ScopedResourceModule tests("forms_test.dll");
    TRaisingForm* form = Instantiate<TRaisingForm>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->events, std::vector<std::string>{"create"});
    EXPECT_EQ(app->PrimaryForm(), form);
    std::vector<ShownBox> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "creation handler failed.");
    EXPECT_EQ(boxes[0].flags, MB_ICONSTOP);
    // The description's "Visible" True is honoured after the handler.
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(FormsTest, AVisibleDescriptionShowsTheFormRightAfterTheCreationHandler) {
    ScopedResourceModule tests("forms_test.dll");
    TShownForm* form = Instantiate<TShownForm>();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->shownInCreate);
    EXPECT_NE(form->flagsInCreate & bfShowRequested, 0);
    EXPECT_EQ(form->events, (std::vector<std::string>{"create", "show"}));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    // The application window follows the first shown form, then the form shows.
    std::vector<JournalLine> shows = JournalEvents("window_show");
    ASSERT_EQ(shows.size(), 2u);
    EXPECT_EQ(shows[0].Bytes("class"), "TApplication");
    EXPECT_EQ(shows[1].Bytes("class"), "TShownForm");
    EXPECT_EQ(shows[1].Bytes("caption"), "shown");
    EXPECT_EQ(shows[1].Number("x"), 30);
}

TEST_F(FormsTest, TheMainFormDescriptionMeasuresItsTextInAHiddenWindowAt96Dpi) {
    ASSERT_EQ(TheScreen->PixelsPerInch(), 96);
    TFormMain* form = Instantiate<TFormMain>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Name(), "FormMain");
    EXPECT_EQ(form->Caption(), "Visible false");
    EXPECT_EQ(form->Color(), static_cast<TColor>(0x8000000F));
    EXPECT_EQ(form->Font()->Charset(), SHIFTJIS_CHARSET);
    EXPECT_EQ(form->Font()->Color(), static_cast<TColor>(0x80000008));
    EXPECT_EQ(form->Font()->Height(), -12);
    EXPECT_EQ(form->Font()->Name(), "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(form->Font()->Style(), 0);
    EXPECT_FALSE(form->OldCreateOrder());
    EXPECT_EQ(form->events, std::vector<std::string>{"create"});
    EXPECT_EQ(form->PixelsPerInchField(), 96);
    EXPECT_EQ(form->DescribedTextHeight(), 12);
    EXPECT_EQ(form->MeasureTextHeight(), 12);
    // The bounds are the described ones, unscaled.
    EXPECT_EQ(form->Left(), 192);
    EXPECT_EQ(form->Top(), 107);
    EXPECT_EQ(form->Width(), 190);
    EXPECT_EQ(form->Height(), 129);
    EXPECT_TRUE(form->HandleAllocated());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(JournalEvents("window_show").empty());
}

TEST_F(FormsTest, WithoutATextHeightNothingIsMeasuredAndNoWindowIsMadeWhileReading) {
    ScopedResourceModule tests("forms_test.dll");
    // Built as a second form so that InstantiateForm does not make the window for a primary form.
    Instantiate<TBlankForm>();
    TPlainForm* absent = Instantiate<TPlainForm>();
    TZeroTextForm* zero = Instantiate<TZeroTextForm>();
    ASSERT_NE(absent, nullptr);
    ASSERT_NE(zero, nullptr);
    EXPECT_FALSE(absent->HandleAllocated());
    EXPECT_FALSE(zero->HandleAllocated());
    EXPECT_EQ(absent->Font()->Height(), -12);
    EXPECT_EQ(zero->Font()->Height(), -15);
    EXPECT_EQ(absent->Width(), 150);
}

TEST_F(FormsTest, ScaledFalseBeforePixelsPerInchKeepsScalingOff) {
    ScopedResourceModule tests("forms_test.dll");
    Instantiate<TBlankForm>();
    TUnscaledForm* form = Instantiate<TUnscaledForm>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->PixelsPerInchField(), 0);
    EXPECT_FALSE(form->Scaled());
    EXPECT_EQ(form->Font()->Height(), -15);
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_EQ(form->ClientWidthValue(), 300);
}

TEST_F(FormsTest, PixelsPerInchIgnoresDensitiesBelow36AndZeroSwitchesScalingOff) {
    TForm* form = Instantiate<TForm>();
    int screen = TheScreen->PixelsPerInch();
    form->SetPixelsPerInch(20);
    EXPECT_EQ(form->PixelsPerInchField(), screen);
    form->SetPixelsPerInch(36);
    EXPECT_EQ(form->PixelsPerInchField(), 36);
    form->SetPixelsPerInch(0);
    EXPECT_EQ(form->PixelsPerInchField(), 0);
    EXPECT_FALSE(form->Scaled());
    EXPECT_EQ(form->PixelsPerInch(), screen); // the getter falls back on the screen's
    form->SetScaled(true);
    EXPECT_EQ(form->PixelsPerInchField(), screen);
    form->SetPixelsPerInch(35);
    EXPECT_EQ(form->PixelsPerInchField(), screen);
}

TEST_F(FormsTest, AClientSizeAtTheLimitSaturatesTheFormsSize) {
    // The frame is added to the client size in 64 bits: the size stops at
    // the largest int instead of wrapping round to a negative one.
    TForm* form = NewBlankForm<TForm>(app);
    form->SetClientWidth(std::numeric_limits<int>::max());
    form->SetClientHeight(std::numeric_limits<int>::max());
    EXPECT_EQ(form->Width(), std::numeric_limits<int>::max());
    EXPECT_EQ(form->Height(), std::numeric_limits<int>::max());
}

TEST_F(FormsTest, AStoredClientSizeAndTheChildrenFollowTheMeasuredTextHeight) {
    ScopedResourceModule tests("forms_test.dll");
    TClientForm* form = Instantiate<TClientForm>();
    ASSERT_NE(form, nullptr);
    // "0" in the described -15 font measures 15 where the description says 12.
    EXPECT_EQ(form->MeasureTextHeight(), 15);
    EXPECT_EQ(form->ClientWidthValue(), MulDiv(300, 15, 12));
    EXPECT_EQ(form->ClientWidthValue(), 375);
    EXPECT_EQ(form->ClientHeightValue(), 250);
    RECT client{};
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 375);
    EXPECT_EQ(client.bottom, 250);
    ASSERT_EQ(form->ControlCount(), 1);
    TControl* panel = form->Controls(0);
    EXPECT_EQ(panel->Name(), "Panel");
    EXPECT_EQ(panel->Owner(), form);
    EXPECT_EQ(panel->Left(), 10);
    EXPECT_EQ(panel->Top(), 15);
    EXPECT_EQ(panel->Width(), 125);
    EXPECT_EQ(panel->Height(), 30);
    EXPECT_EQ(panel->RescaleMarks(), 0);
    EXPECT_EQ(form->RescaleMarks(), 0);
    // The form's own font is not rescaled at the description's density.
    EXPECT_EQ(form->Font()->Height(), -15);
}

TEST_F(FormsTest, DescriptionsOfTheClassChainApplyFromTheAncestorDown) {
    ScopedResourceModule tests("forms_test.dll");
    TDerivedForm* form = Instantiate<TDerivedForm>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption(), "derived");
    EXPECT_EQ(form->Width(), 400);
    EXPECT_EQ(form->Name(), "Derived");
}

TEST_F(FormsTest, AMalformedDescriptionFailsTheConstructionAndReleasesTheLock) {
    ScopedResourceModule tests("forms_test.dll");
    TBrokenForm* form = nullptr;
    EXPECT_EQ(MessageOf<EReadError>([&] { app->InstantiateForm(&TBrokenForm::ClassInfo, form); }),
              FormatResString(SPropertyReadError,
                              {"Broken", ".", "NoSuchProperty", LoadResString(SUnknownProperty)}));
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(TheScreen->CustomFormCount(), 0);
    EXPECT_FALSE(NameSpaceLock().HeldForWriting());
    EXPECT_EQ(CurrentLoadBatch(), nullptr);
}

TEST_F(FormsTest, AResourceStreamReadsItsResourceAndRefusesWriting) {
    TOwned<TResourceStream> stream(new TResourceStream());
    stream->Open(nullptr, "TFORMMAIN", RT_RCDATA);
    EXPECT_EQ(stream->Size(), 274);
    char signature[4] = {};
    stream->ReadBuffer(signature, 4);
    EXPECT_EQ(std::string(signature, 4), "TPF0");
    EXPECT_EQ(MessageOf<EStreamError>([&] { stream->Write("x", 1); }),
              LoadResString(SCantWriteResourceStream));
    EXPECT_EQ(stream->Position(), 4);
    EXPECT_EQ(stream->Size(), 274);

    TOwned<TResourceStream> missing(new TResourceStream());
    EXPECT_EQ(MessageOf<EResNotFound>([&] { missing->Open(nullptr, "NOSUCHFORM", RT_RCDATA); }),
              FormatResString(SResNotFound, {"NOSUCHFORM"}));
    TComponent* root = nullptr;
    EXPECT_FALSE(ReadDescriptionResource("NOSUCHFORM", nullptr, root));
}

TEST_F(FormsTest, ALanguageResourceModuleSuppliesTheDescriptionsAndTheProgramIsNotSearched) {
    {
        ScopedResourceModule language("language_full.dll");
        TFormMain* form = Instantiate<TFormMain>();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Caption(), "Language file");
        FreeObject(form);
    }
    ScopedResourceModule bare("language_bare.dll");
    TFormMain* form = nullptr;
    // The language file has no string table: the program's text serves.
    EXPECT_EQ(MessageOf<EResNotFound>([&] { app->InstantiateForm(&TFormMain::ClassInfo, form); }),
              FormatResString(SResNotFound, {"TFormMain"}));
    EXPECT_NE(LoadResString(SResNotFound), "");
    EXPECT_EQ(form, nullptr);
}

TEST_F(FormsTest, AnActivationWhileTheFormIsReadWaitsForTheEndOfConstruction) {
    TForm* form = Instantiate<TForm>();
    form->IncludeState(lsReading);
    form->Perform(WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_NE(form->BuildFlags() & bfActivatePending, 0);
    EXPECT_EQ(TheScreen->ActiveCustomForm(), nullptr);
    form->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(form->BuildFlags() & bfActivatePending, 0);
    form->ExcludeState(lsReading);
    form->Perform(WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(TheScreen->ActiveCustomForm(), form);
    EXPECT_EQ(TheScreen->ActiveForm(), form);
}

// The screen's density is read once per process: this test runs its checks
// in a process of its own whose machine has 120 pixels per inch.
TEST_F(FormsTest, At120DpiTheMainFormsFontGrowsBeforeTheTextIsMeasured) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("HOSTWIN_DPI", "120", 1);
    EXPECT_EXIT(
        {
            TFormMain* form = Instantiate<TFormMain>();
            bool good = form && TheScreen->PixelsPerInch() == 120 &&
                        form->Font()->Height() == -15 && form->PixelsPerInchField() == 120 &&
                        form->MeasureTextHeight() == 15 && form->Width() == 190 &&
                        form->Height() == 129;
            std::fprintf(stderr, "dpi %d font %d field %d\n", TheScreen->PixelsPerInch(),
                         form ? form->Font()->Height() : 0, form ? form->PixelsPerInchField() : 0);
            std::fflush(stderr);
            _exit(good ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    unsetenv("HOSTWIN_DPI");
}

} // namespace
