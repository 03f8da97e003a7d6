// TCustomForm's life: construction from the descriptions of its class chain,
// the hooks it adds while a description is read, the creation and destruction
// handlers, and destruction. The window and its showing are in form_window.cpp.
#include "framework/forms/form.h"

#include "framework/controls/bound_method.h"
#include "framework/forms/application_link.h"
#include "framework/forms/description_loading.h"
#include "framework/forms/screen.h"
#include "framework/streaming/loading.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/references.h"
#include "framework/streaming/writer.h"
#include "runtime/exceptions.h"
#include "runtime/new_instance.h"
#include "runtime/resstrings.h"
#include "runtime/scope_exit.h"

namespace {

constexpr const char* borderIconNames[] = {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
constexpr const char* borderStyleNames[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                            "bsDialog", "bsToolWindow", "bsSizeToolWin"};
constexpr const char* windowStateNames[] = {"wsNormal", "wsMinimized", "wsMaximized"};
constexpr const char* defaultMonitorNames[] = {"dmDesktop", "dmPrimary", "dmMainForm",
                                               "dmActiveForm"};
constexpr const char* positionNames[] = {
    "poDesigned",     "poDefault",       "poDefaultPosOnly", "poDefaultSizeOnly",
    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
constexpr const char* formStyleNames[] = {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"};
constexpr const char* printScaleNames[] = {"poNone", "poProportional", "poPrintToFit"};

constinit const TTypeInfo TypeBorderIcon = EnumType("TBorderIcon", borderIconNames);
constinit const TTypeInfo TypeBorderIcons = SetType("TBorderIcons", &TypeBorderIcon);
constinit const TTypeInfo TypeFormBorderStyle = EnumType("TFormBorderStyle", borderStyleNames);
constinit const TTypeInfo TypeWindowState = EnumType("TWindowState", windowStateNames);
constinit const TTypeInfo TypeDefaultMonitor = EnumType("TDefaultMonitor", defaultMonitorNames);
constinit const TTypeInfo TypePosition = EnumType("TPosition", positionNames);
constinit const TTypeInfo TypeFormStyle = EnumType("TFormStyle", formStyleNames);
constinit const TTypeInfo TypePrintScale = EnumType("TPrintScale", printScaleNames);
constinit const TTypeInfo TypeIconObject = ObjectType("TIcon", &TIcon::ClassInfo);
constinit const TTypeInfo TypeCloseEvent = EventType<TCloseEvent>("TCloseEvent");
constinit const TTypeInfo TypeCloseQueryEvent = EventType<TCloseQueryEvent>("TCloseQueryEvent");
constinit const TTypeInfo TypeShortCutEvent = EventType<TShortCutEvent>("TShortCutEvent");
constinit const TTypeInfo TypeHelpEvent = EventType<THelpEvent>("THelpEvent");

constexpr TBorderIcons DefaultBorderIcons = BorderIconSet({biSystemMenu, biMinimize, biMaximize});

// The published properties of TForm with the values a written description
// leaves out. "PixelsPerInch" is written as a custom value, never as itself.
constexpr TPropInfo formProperties[] = {
    Property<&TCustomForm::ActiveControl, &TCustomForm::SetActiveControl>("ActiveControl",
                                                                          &TypeWinControlObject),
    Property<&TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons>(
        "BorderIcons", &TypeBorderIcons, DefaultBorderIcons),
    Property<&TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle>(
        "BorderStyle", &TypeFormBorderStyle, bsSizeable),
    Property<&TControl::Caption, &TControl::SetCaption>("Caption", &TypeString),
    Property<&TCustomForm::ClientHeightValue, &TCustomForm::SetClientHeight>("ClientHeight",
                                                                             &TypeInteger),
    Property<&TCustomForm::ClientWidthValue, &TCustomForm::SetClientWidth>("ClientWidth",
                                                                           &TypeInteger),
    Property<&TControl::Color, &TControl::SetColor>("Color", &TypeColor),
    Property<&TControl::Ctl3D, &TControl::SetCtl3D>("Ctl3D", &TypeBoolean, 1),
    Property<&TCustomForm::DefaultMonitor, &TCustomForm::SetDefaultMonitor>(
        "DefaultMonitor", &TypeDefaultMonitor, dmActiveForm),
    Property<&TControl::Enabled, &TControl::SetEnabled>("Enabled", &TypeBoolean, 1),
    Property<&TControl::Font, &TControl::SetFont>("Font", &TypeFontObject),
    Property<&TCustomForm::FormStyle, &TCustomForm::SetFormStyle>("FormStyle", &TypeFormStyle,
                                                                  fsNormal),
    Property<&TCustomForm::HelpFile, &TCustomForm::SetHelpFile>("HelpFile", &TypeString),
    Property<&TControl::Hint, &TControl::SetHint>("Hint", &TypeString),
    Property<&TCustomForm::Icon, &TCustomForm::SetIcon>("Icon", &TypeIconObject),
    Property<&TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder>("OldCreateOrder",
                                                                            &TypeBoolean),
    Property<&TControl::ParentFont, &TControl::SetParentFont>("ParentFont", &TypeBoolean, 0),
    Property<&TCustomForm::Position, &TCustomForm::SetPosition>("Position", &TypePosition,
                                                                poDesigned),
    Property<&TCustomForm::PrintScale, &TCustomForm::SetPrintScale>("PrintScale", &TypePrintScale,
                                                                    poProportional),
    Property<&TCustomForm::Scaled, &TCustomForm::SetScaled>("Scaled", &TypeBoolean, 1),
    Property<&TControl::Visible, &TCustomForm::SetVisible>("Visible", &TypeBoolean, 0),
    Property<&TCustomForm::WindowState, &TCustomForm::SetWindowState>("WindowState",
                                                                      &TypeWindowState, wsNormal),
    FieldProperty<&TCustomForm::OnActivate>("OnActivate", &TypeNotifyEvent),
    FieldProperty<&TCustomForm::OnClose>("OnClose", &TypeCloseEvent),
    FieldProperty<&TCustomForm::OnCloseQuery>("OnCloseQuery", &TypeCloseQueryEvent),
    FieldProperty<&TCustomForm::OnCreate>("OnCreate", &TypeNotifyEvent),
    FieldProperty<&TCustomForm::OnDeactivate>("OnDeactivate", &TypeNotifyEvent),
    FieldProperty<&TCustomForm::OnDestroy>("OnDestroy", &TypeNotifyEvent),
    FieldProperty<&TCustomForm::OnHelp>("OnHelp", &TypeHelpEvent),
    FieldProperty<&TCustomForm::OnHide>("OnHide", &TypeNotifyEvent),
    FieldProperty<&TCustomForm::OnShortCut>("OnShortCut", &TypeShortCutEvent),
    FieldProperty<&TCustomForm::OnShow>("OnShow", &TypeNotifyEvent),
    Property<&TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch>(
        "PixelsPerInch", &TypeInteger, TPropInfo::NoDefault, false),
};

} // namespace

constinit const TClass TCustomForm::ClassInfo =
    MakeClass<TCustomForm>("TCustomForm", &TScrollingWinControl::ClassInfo);
constinit const TClass TForm::ClassInfo =
    MakeClass<TForm>("TForm", &TCustomForm::ClassInfo, formProperties);

int ShowCommandOf(TWindowState state) {
    switch (state) {
    case wsMinimized:
        return SW_SHOWMINNOACTIVE;
    case wsMaximized:
        return SW_SHOWMAXIMIZED;
    default:
        return SW_SHOWNORMAL;
    }
}

TCustomForm* NewBlankForm(const TClass* formClass, TComponent* owner) {
    TCustomForm* form = NewInstanceAs<TCustomForm, EComponentError>(formClass);
    try {
        form->CreateBlank(owner, 0);
    } catch (...) {
        DiscardObject(form);
        throw;
    }
    form->ConstructionFinished();
    return form;
}

// --- Construction ----------------------------------------------------------------

void TCustomForm::Create(TComponent* owner) {
    TWriteGuard lock(NameSpaceLock());
    CreateBlank(owner, 0);
    if (ClassType() == &TForm::ClassInfo || IsDesigning()) return;
    IncludeBuildFlags(bfConstructing);
    try {
        if (!LoadClassDescriptions(this, &TForm::ClassInfo))
            throw EResNotFound(FormatResString(SResNotFound, {ClassName()}));
    } catch (...) {
        ExcludeBuildFlags(bfConstructing);
        throw;
    }
    ExcludeBuildFlags(bfConstructing);
    if (FOldCreateOrder) RunCreationHandler();
}

void TCustomForm::CreateBlank(TComponent* owner, int) {
    TScrollingWinControl::Create(owner);
    SetLeft(0);
    SetTop(0);
    SetWidth(320);
    SetHeight(240);
    SetVisible(false);
    SetParentFont(false);
    SetCtl3D(true);
    FBorderIcons = DefaultBorderIcons;
    FBorderStyle = bsSizeable;
    FWindowState = wsNormal;
    FDefaultMonitor = dmActiveForm;
    FIcon = new TIcon();
    FIcon->SetSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    FIcon->OnChange = BindEvent<&TCustomForm::IconChanged, TNotifyEvent>(this);
    FSurface = new TControlCanvas();
    FSurface->SetControl(this);
    FPixelsPerInch = TScreen::ScreenPixelsPerInch();
    FPrintScale = poProportional;
    if (TheScreen) TheScreen->RegisterForm(this);
}

void TCustomForm::ConstructionFinished() {
    TScrollingWinControl::ConstructionFinished();
    if (!FOldCreateOrder) RunCreationHandler();
    if (FBuildFlags & bfActivatePending) {
        Activate();
        ExcludeBuildFlags(bfActivatePending);
    }
}

void TCustomForm::FireCaptured(const TNotifyEvent& event) {
    if (!event.Assigned()) return;
    try {
        event(this);
    } catch (...) {
        RouteBoundaryException(this);
    }
}

void TCustomForm::RunCreationHandler() {
    FireCaptured(OnCreate);
    if (FBuildFlags & bfShowRequested) SetVisible(true);
}

void TCustomForm::RunDestructionHandler() {
    FireCaptured(OnDestroy);
}

void TCustomForm::RefreshActions() {}

bool TCustomForm::MayClose() {
    bool mayClose = true;
    if (FFormStyle == fsMDIForm && TheScreen) {
        // The multiple-document children are asked first, in order.
        for (int i = 0; i < TheScreen->CustomFormCount(); ++i) {
            TCustomForm* child = TheScreen->CustomForms(i);
            if (child != this && child->FFormStyle == fsMDIChild && child->HandleAllocated() &&
                GetParent(child->Window()) == FClientWindow && !child->MayClose())
                return false;
        }
    }
    if (OnCloseQuery.Assigned()) OnCloseQuery(this, &mayClose);
    return mayClose;
}

// --- Destruction ------------------------------------------------------------------

void TCustomForm::DestructionStarting() {
    NameSpaceLock().AcquireWrite();
    FDestructionLockHeld = true;
    IncludeState(lsDestroying);
    if (TheScreen) TheScreen->ForgetFocus(this);
    DropGlobalRefs(this, "");
    if (FFormStyle != fsMDIChild) {
        try {
            SetVisible(false);
        } catch (...) {
            RouteBoundaryException(this);
        }
    }
    if (!FOldCreateOrder) RunDestructionHandler();
    TScrollingWinControl::DestructionStarting();
}

void TCustomForm::Destroy() {
    // Destruction without DestructionStarting (a failed construction) takes
    // the lock here.
    if (!FDestructionLockHeld) {
        NameSpaceLock().AcquireWrite();
        FDestructionLockHeld = true;
    }
    // Releases the name-space lock that destruction took, however it ends.
    TScopeExit release([this] {
        if (FDestructionLockHeld) NameSpaceLock().ReleaseWrite();
        FDestructionLockHeld = false;
    });
    if (FOldCreateOrder) RunDestructionHandler();
    if (HandleAllocated()) {
        try {
            DestroyHandle();
        } catch (...) {
            RouteBoundaryException(this);
        }
    }
    if (TheScreen) TheScreen->UnregisterForm(this);
    FreeObject(FSurface);
    FSurface = nullptr;
    FreeObject(FIcon);
    FIcon = nullptr;
    TScrollingWinControl::Destroy();
}

// --- Reading descriptions -----------------------------------------------------------

void TCustomForm::ApplyDescription(TReader& reader) {
    FPendingClientWidth = 0;
    FPendingClientHeight = 0;
    FDescribedTextHeight = 0;
    bool rescaled = false;
    FOldCreateOrder = false;
    TScrollingWinControl::ApplyDescription(reader);
    if (FPixelsPerInch != 0 && FDescribedTextHeight > 0) {
        const int screen = TScreen::ScreenPixelsPerInch();
        if ((RescaleMarks() & rmFont) && FPixelsPerInch != screen)
            Font()->SetHeight(MulDiv(Font()->Height(), screen, FPixelsPerInch));
        FPixelsPerInch = screen;
        const int measured = MeasureTextHeight();
        if (measured != FDescribedTextHeight) {
            rescaled = true;
            ScaleControls(measured, FDescribedTextHeight);
            if (RescaleMarks() & rmWidth)
                FPendingClientWidth = MulDiv(FPendingClientWidth, measured, FDescribedTextHeight);
            if (RescaleMarks() & rmHeight)
                FPendingClientHeight = MulDiv(FPendingClientHeight, measured, FDescribedTextHeight);
        }
    }
    if (FPendingClientWidth > 0) SizeClientWidth(FPendingClientWidth);
    if (FPendingClientHeight > 0) SizeClientHeight(FPendingClientHeight);
    ClearRescaleMarks();
    // Scaling by 1/1 leaves the controls' sizes and clears their marks.
    if (!rescaled) ScaleControls(1, 1);
    Perform(AM_BIDIMODECHANGED, 0, 0);
}

void TCustomForm::DeclareExtraProperties(TFiler& filer) {
    TScrollingWinControl::DeclareExtraProperties(filer);
    const bool stored = !IsControl();
    // The published setter receives "PixelsPerInch"; only writing goes through here.
    filer.AcceptCustomProperty(
        "PixelsPerInch", TReaderProc(),
        [this](TWriter& writer) { writer.WriteInteger(PixelsPerInch()); }, stored);
    filer.AcceptCustomProperty(
        "TextHeight", [this](TReader& reader) { FDescribedTextHeight = reader.ReadIntValue(); },
        [this](TWriter& writer) { writer.WriteInteger(MeasureTextHeight()); }, stored);
    filer.AcceptCustomProperty(
        "IgnoreFontProperty",
        [this](TReader& reader) {
            if (reader.ReadFlagValue()) SetParentFont(true);
        },
        TWriterProc(), false);
}

void TCustomForm::DescriptionLoaded() {
    TScrollingWinControl::DescriptionLoaded();
    // The active control a description named takes the focus when it can.
    TWinControl* control = FActiveControl;
    if (control && control->Visible() && control->Enabled() && HandleAllocated() &&
        GetActiveWindow() == Window())
        SetFocus(control->Handle());
}

int TCustomForm::MeasureTextHeight() {
    return FSurface->TextHeight("0");
}

// --- Published properties -------------------------------------------------------------

int TCustomForm::PixelsPerInch() const {
    return FPixelsPerInch != 0 ? FPixelsPerInch : TScreen::ScreenPixelsPerInch();
}

void TCustomForm::SetPixelsPerInch(int value) {
    if (value == PixelsPerInch()) return;
    // Densities below 36 are no real screen's; 0 switches scaling off.
    if (value != 0 && value < 36) return;
    // While loading, a form whose scaling an earlier "Scaled" False switched
    // off keeps it off.
    if (HasState(lsLoading) && FPixelsPerInch == 0) return;
    FPixelsPerInch = value;
}

void TCustomForm::SetScaled(bool scaled) {
    if (scaled == (FPixelsPerInch != 0)) return;
    FPixelsPerInch = scaled ? TScreen::ScreenPixelsPerInch() : 0;
}

void TCustomForm::SetClientExtent(int value, int32_t& pending, TRescaleMark mark,
                                  void (TControl::*size)(int)) {
    if (ControlFlags() & cfReadingDescription) {
        pending = value;
        IncludeRescaleMarks(mark);
        return;
    }
    (this->*size)(value);
}

void TCustomForm::SetClientWidth(int value) {
    SetClientExtent(value, FPendingClientWidth, rmWidth, &TControl::SizeClientWidth);
}

void TCustomForm::SetClientHeight(int value) {
    SetClientExtent(value, FPendingClientHeight, rmHeight, &TControl::SizeClientHeight);
}

void TCustomForm::SetIcon(TIcon* icon) {
    if (FIcon && icon && icon != FIcon) FIcon->SetHandle(icon->Handle());
}

void TCustomForm::SetVisible(bool visible) {
    if (FBuildFlags & bfConstructing) {
        if (visible)
            IncludeBuildFlags(bfShowRequested);
        else
            ExcludeBuildFlags(bfShowRequested);
        return;
    }
    const bool before = Visible();
    if (visible && !before) MoveToDefaultMonitor();
    try {
        TScrollingWinControl::SetVisible(visible);
    } catch (...) {
        // A refused change (a nested show or hide, a window that cannot be
        // made) leaves the form as it was, so that the field keeps telling
        // the truth about the window.
        RestoreVisibleField(before);
        throw;
    }
}

void TCustomForm::SetWindowState(TWindowState state) {
    if (state == FWindowState) return;
    FWindowState = state;
    if (HandleAllocated() && Visible()) ApplyWindowState();
}

// --- Messages ------------------------------------------------------------------------

void TCustomForm::Activate() {
    if (TheScreen) TheScreen->SetActive(this, FActiveControl);
    TWinControl* control = FActiveControl;
    if (control && control->Visible() && control->Enabled()) SetFocus(control->Handle());
    FireCaptured(OnActivate);
}

void TCustomForm::Deactivate() {
    FireCaptured(OnDeactivate);
}

void TCustomForm::IconChanged(TObject*) {
    if (HandleAllocated() && FBorderStyle != bsDialog && LOBYTE(LOWORD(GetVersion())) >= 4)
        SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->Handle()));
}

void TCustomForm::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_CLOSE:
        // Not passed on: DefWindowProcA would destroy the window.
        RequestClose();
        return;
    case AM_RELEASE:
        // The form destroys itself; nothing of it may be touched afterwards.
        FreeObject(this);
        return;
    case WM_ACTIVATE: {
        const bool active = LOWORD(message.WParam) != WA_INACTIVE;
        // While the description is read, an activation waits for the end of
        // the construction.
        if (HasState(lsReading)) {
            if (active)
                IncludeBuildFlags(bfActivatePending);
            else
                ExcludeBuildFlags(bfActivatePending);
        } else if (active) {
            Activate();
        } else {
            Deactivate();
        }
        break;
    }
    default:
        break;
    }
    TScrollingWinControl::HandleMessage(message);
}

bool TCustomForm::OfferHelp(WORD command, LONG_PTR data, bool* result) {
    bool callHelp = true;
    if (OnHelp.Assigned()) OnHelp(command, data, &callHelp, result);
    return callHelp;
}
