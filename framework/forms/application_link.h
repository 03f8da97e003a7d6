// What the form layer needs of the application object, which lives in the
// layer above it. The application object implements this interface.
#pragma once

#include "framework/controls/application_link.h"

class TCustomForm;

class TFormApplicationLink : public TControlApplicationLink {
public:
    // The primary (main) form, or null.
    virtual TCustomForm* PrimaryForm() const = 0;
    // Asks the terminate guards and, when they agree, ends the message loop.
    virtual void RequestQuit() = 0;
    // Shows or hides the application window after the forms' visibility changed.
    virtual void FollowFormVisibility() = 0;
    // Frees the hint popup's window (when the last form is gone).
    virtual void ReleaseHintWindow() = 0;
    // Whether the message loop shows the primary form however it was described.
    virtual bool RevealsPrimaryForm() const = 0;
    // The first visible, enabled top-level window of the thread other than
    // the excepted one and the application window (one outside the topmost
    // band preferred), or null: the window that takes over from a hidden form.
    virtual HWND FirstUsableWindow(HWND excepted) const = 0;

protected:
    ~TFormApplicationLink() = default;
};

// The application object as the form layer sees it; null when there is none.
TFormApplicationLink* FormApplication();

// Called by the application object when it is made (with itself) and
// destroyed (with null); also sets the control layer's link.
void SetFormApplication(TFormApplicationLink* application);
