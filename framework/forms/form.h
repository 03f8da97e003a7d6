// TCustomForm and TForm: the top-level windows of the framework, owned by
// the application object's window, registered with the screen object.
#pragma once

#include "framework/controls/control.h"
#include "framework/controls/icon.h"

#include <cstdint>
#include <string>

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseChoice : uint8_t { ccKeep, ccHide, ccRelease, ccMinimize };

// Members of the form's build flags, as bit values.
enum TFormBuildFlag : uint8_t {
    bfConstructing = 1u << 0,     // descriptions are being loaded; Visible only records a request
    bfShowRequested = 1u << 1,    // Visible was set to true while constructing
    bfShowInProgress = 1u << 2,   // inside ApplyShowState
    bfModalRun = 1u << 3,         // the form runs modally
    bfMdiChildWindow = 1u << 4,   // the window was made as a multiple-document child
    bfActivatePending = 1u << 5,  // an activation arrived while the form was read
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

    // The owner-taking constructor: builds the form with its defaults.
    void Create(TComponent* owner) override;
    // Builds a form with defaults and no description and registers it with
    // the screen object.
    virtual void CreateBlank(TComponent* owner, int dummy = 0);
    // Runs the creation handler.
    void ConstructionFinished() override;
    // Hides the form and runs the destruction handler.
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

    // While constructing, only records the request; otherwise shows or hides.
    void SetVisible(bool visible) override;

    TWindowState WindowState() const { return windowState_; }
    // Changes the window state, and the window's show state when it is shown.
    void SetWindowState(TWindowState state);
    // Changes the window-state field alone, without touching the window.
    void SetWindowStateField(TWindowState state) { windowState_ = state; }

    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style) { formStyle_ = style; }
    // The multiple-document client window of an fsMDIForm (null otherwise).
    HWND ClientHandle() const { return clientWindow_; }

    TIcon* Icon() const { return icon_; }
    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(const std::string& file) { helpFile_ = file; }
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control) { activeControl_ = control; }
    TFormBuildFlags BuildFlags() const { return FBuildFlags; }
    int ModalOutcome() const { return FModalOutcome; }

    // The answer to a close request (WM_CLOSE to the form's window, or to the
    // application window while this is the primary form).
    void RequestClose();
    // The shortcut query: true when the form claimed the key message.
    bool ClaimShortcut(TMessage& keyMessage);
    // Offers a help request to "OnHelp"; false when the handler forbids the
    // help system (the handler's result is then in *result).
    bool OfferHelp(WORD command, LONG_PTR data, bool* result);

    void HandleMessage(TMessage& message) override;

    TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;
    THelpEvent OnHelp;

protected:
    void FillWindowParams(TWindowParams& params) override;
    void BuildWindow() override;
    void VisibleChanged() override;
    // The reaction to a change of the form's showing state while it has a window.
    virtual void ApplyShowState();

    void IncludeBuildFlags(TFormBuildFlags flags) { FBuildFlags |= flags; }
    void ExcludeBuildFlags(TFormBuildFlags flags) {
        FBuildFlags &= static_cast<TFormBuildFlags>(~flags);
    }

private:
    void FireCaptured(const TNotifyEvent& event);
    TWindowState windowState_ = wsNormal;
    TFormStyle formStyle_ = fsNormal;
    TFormBuildFlags FBuildFlags = 0;
    HWND clientWindow_ = nullptr;
    TIcon* icon_ = nullptr;
    std::string helpFile_;
    TWinControl* activeControl_ = nullptr;
    int FModalOutcome = 0;
};

class TForm : public TCustomForm {
public:
    DECLARE_CLASS_INFO()
};

// The show command of a window state: SW_SHOWNORMAL, SW_SHOWMINNOACTIVE or
// SW_SHOWMAXIMIZED.
int ShowCommandOf(TWindowState state);
