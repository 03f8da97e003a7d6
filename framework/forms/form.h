// TCustomForm and TForm: the top-level windows of the framework, built from
// the form descriptions of their class chain, owned by the application
// object's window and registered with the screen object.
#pragma once

#include "framework/controls/canvas.h"
#include "framework/controls/control.h"
#include "framework/controls/icon.h"

#include <cstdint>
#include <string>

enum TBorderIcon : uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
// A set of TBorderIcon: bit 1 << member.
using TBorderIcons = uint8_t;
enum TFormBorderStyle : uint8_t {
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin
};
enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TDefaultMonitor : uint8_t { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
enum TPosition : uint8_t {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter,
};
enum TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPrintScale : uint8_t { poNone, poProportional, poPrintToFit };
enum TCloseChoice : uint8_t { ccKeep, ccHide, ccRelease, ccMinimize };

constexpr TBorderIcons BorderIconSet(std::initializer_list<TBorderIcon> icons) {
    TBorderIcons set = 0;
    for (TBorderIcon icon : icons)
        set = static_cast<TBorderIcons>(set | 1u << icon);
    return set;
}

// Members of the form's build flags, as bit values.
enum TFormBuildFlag : uint8_t {
    bfConstructing = 1u << 0,    // descriptions are being loaded; Visible only records a request
    bfShowRequested = 1u << 1,   // Visible was set to true while constructing
    bfShowInProgress = 1u << 2,  // inside ApplyShowState
    bfModalRun = 1u << 3,        // the form runs modally
    bfMdiChildWindow = 1u << 4,  // the window was made as a multiple-document child
    bfActivatePending = 1u << 5, // an activation arrived while the form was read
};
using TFormBuildFlags = uint8_t;

using TCloseEvent = TEvent<TObject*, TCloseChoice*>;
using TCloseQueryEvent = TEvent<TObject*, bool*>;
using TShortCutEvent = TEvent<TMessage*, bool*>;
// Help request: command, data, in/out "call the help system", in/out result.
using THelpEvent = TEvent<WORD, LONG_PTR, bool*, bool*>;

class TCustomForm : public TScrollingWinControl {
public:
    DECLARE_CLASS_INFO()

    // The owner-taking constructor: the form with its defaults, then the
    // descriptions of its class chain (below TForm) under the name-space
    // lock; raises EResNotFound when none of them exists. The creation
    // handler runs here only for a description with "OldCreateOrder" true.
    void Create(TComponent* owner) override;
    // Builds a form with defaults and no description and registers it with
    // the screen object. A class whose instances are built blank overrides
    // Create to call it.
    virtual void CreateBlank(TComponent* owner, int dummy = 0);
    // Runs the creation handler (unless "OldCreateOrder" ran it already) and
    // replays an activation that arrived while the form was read.
    void ConstructionFinished() override;
    // Takes the name-space lock for the rest of the destruction, hides the
    // form and runs the destruction handler.
    void DestructionStarting() override;
    void Destroy() override;

    // "OnCreate" and "OnDestroy" under exception capture (the exception goes
    // to the application object); the creation handler then honours a show
    // request recorded while the form was constructed.
    virtual void RunCreationHandler();
    virtual void RunDestructionHandler();
    // Lets the form's actions update themselves.
    virtual void RefreshActions();
    // The closing query: "OnCloseQuery" may refuse.
    virtual bool MayClose();

    // --- Reading descriptions -------------------------------------------------
    // The form's part of applying its description: the properties, then the
    // rescaling by pixel density and text height, and the stored client size.
    void ApplyDescription(TReader& reader) override;
    // "PixelsPerInch", "TextHeight" and "IgnoreFontProperty".
    void DeclareExtraProperties(TFiler& filer) override;
    void DescriptionLoaded() override;
    // The pixel height of the text "0" in the form's font on its drawing
    // surface (which makes the window when it does not exist yet).
    int MeasureTextHeight();

    // --- Published properties -------------------------------------------------
    // While constructing, only records the request; otherwise moves to the
    // default monitor (when turning on) and shows or hides.
    void SetVisible(bool visible) override;
    int PixelsPerInch() const;
    // Ignores 1 to 35; while loading keeps scaling off once it was switched off.
    void SetPixelsPerInch(int value);
    int PixelsPerInchField() const { return FPixelsPerInch; }
    bool Scaled() const { return FPixelsPerInch != 0; }
    void SetScaled(bool scaled);
    // While the description is read the value waits for the rescaling.
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    // The client size as the published properties read it (measuring the
    // frame needs no change of the form).
    int ClientWidthValue() const { return const_cast<TCustomForm*>(this)->ClientWidth(); }
    int ClientHeightValue() const { return const_cast<TCustomForm*>(this)->ClientHeight(); }
    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool value) { FOldCreateOrder = value; }

    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons icons) { FBorderIcons = icons; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style) { FBorderStyle = style; }
    TWindowState WindowState() const { return FWindowState; }
    // Changes the window state, and the window's show state when it is shown.
    void SetWindowState(TWindowState state);
    // Changes the window-state field alone, without touching the window.
    void SetWindowStateField(TWindowState state) { FWindowState = state; }
    TDefaultMonitor DefaultMonitor() const { return FDefaultMonitor; }
    void SetDefaultMonitor(TDefaultMonitor monitor) { FDefaultMonitor = monitor; }
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition position) { FPosition = position; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style) { FFormStyle = style; }
    TPrintScale PrintScale() const { return FPrintScale; }
    void SetPrintScale(TPrintScale scale) { FPrintScale = scale; }
    TIcon* Icon() const { return FIcon; }
    // Takes the other icon's handle (shared).
    void SetIcon(TIcon* icon);
    const std::string& HelpFile() const { return FHelpFile; }
    void SetHelpFile(const std::string& file) { FHelpFile = file; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control) { FActiveControl = control; }

    // --- State -----------------------------------------------------------------
    // The multiple-document client window of an fsMDIForm (null otherwise).
    HWND ClientHandle() const { return FClientWindow; }
    TFormBuildFlags BuildFlags() const { return FBuildFlags; }
    int ModalOutcome() const { return FModalOutcome; }
    int DescribedTextHeight() const { return FDescribedTextHeight; }
    TControlCanvas* Surface() const { return FSurface; }

    // --- The window, showing and closing ---------------------------------------
    // Moves the form onto the monitor its DefaultMonitor chooses.
    void MoveToDefaultMonitor();
    // The answer to a close request (WM_CLOSE to the form's window, or to the
    // application window while this is the primary form).
    void RequestClose();
    // The shortcut query: true when the form claimed the key message.
    bool ClaimShortcut(TMessage& keyMessage);
    // Offers a help request to "OnHelp"; false when the handler forbids the
    // help system (the handler's result is then in *result).
    bool OfferHelp(WORD command, LONG_PTR data, bool* result);

    void HandleMessage(TMessage& message) override;

    TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;
    THelpEvent OnHelp;

protected:
    void FillWindowParams(TWindowParams& params) override;
    void FrameStyles(DWORD& style, DWORD& exStyle) override;
    void BuildWindow() override;
    void OpenWindowHandle(const TWindowParams& params) override;
    void DropWindowHandle() override;
    void VisibleChanged() override;
    // The reaction to a change of the form's showing state while it has a window.
    virtual void ApplyShowState();

    void IncludeBuildFlags(TFormBuildFlags flags) { FBuildFlags |= flags; }
    void ExcludeBuildFlags(TFormBuildFlags flags) {
        FBuildFlags &= static_cast<TFormBuildFlags>(~flags);
    }

private:
    // The form's changes to the control layer's window creation record (owner,
    // class style, styles by border style and icons, default placement);
    // true when the border style shows the form only in the normal state.
    bool ApplyFrame(TWindowParams& params) const;
    void FireCaptured(const TNotifyEvent& event);
    void IconChanged(TObject* sender);
    // While the description is read, keeps the value for the rescaling and
    // marks it; otherwise sizes the client area at once.
    void SetClientExtent(int value, int32_t& pending, TRescaleMark mark,
                         void (TControl::*size)(int));
    void Activate();
    void Deactivate();
    void PlaceByPosition();
    void ShowNow();
    void HideNow();
    // Brings the shown window into the state `WindowState` asks for.
    void ApplyWindowState();
    // The primary form's multiple-document client window, or null.
    static HWND PrimaryClientWindow();

    TControlCanvas* FSurface = nullptr;
    int32_t FModalOutcome = 0;
    int32_t FPendingClientWidth = 0;
    int32_t FPendingClientHeight = 0;
    int32_t FDescribedTextHeight = 0;
    TFormBuildFlags FBuildFlags = 0;

    int32_t FPixelsPerInch = 0;
    bool FOldCreateOrder = false;
    TBorderIcons FBorderIcons = 0;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TWindowState FWindowState = wsNormal;
    TDefaultMonitor FDefaultMonitor = dmActiveForm;
    TPosition FPosition = poDesigned;
    TFormStyle FFormStyle = fsNormal;
    TPrintScale FPrintScale = poProportional;
    TIcon* FIcon = nullptr;
    std::string FHelpFile;
    TWinControl* FActiveControl = nullptr;
    HWND FClientWindow = nullptr;
    // True from DestructionStarting (or the destructor's start) until the
    // end of the destructor: the name-space lock is held for it.
    bool FDestructionLockHeld = false;
};

// TForm publishes the form's properties; it adds no behaviour.
class TForm : public TCustomForm {
public:
    DECLARE_CLASS_INFO()
};

// The show command of a window state: SW_SHOWNORMAL, SW_SHOWMINNOACTIVE or
// SW_SHOWMAXIMIZED.
int ShowCommandOf(TWindowState state);

// Makes a form of the class with its defaults and no description (CreateBlank,
// then ConstructionFinished), owned by the owner.
TCustomForm* NewBlankForm(const TClass* formClass, TComponent* owner);
template <class T> T* NewBlankForm(TComponent* owner) {
    return static_cast<T*>(NewBlankForm(&T::ClassInfo, owner));
}
