// What the control layer needs of the application object, which lives in a
// layer above it: the owner window of top-level windows, the handling of an
// exception that reaches a window procedure, and the application icon.
#pragma once

#include "platform/win32.h"

class TObject;

class TControlApplicationLink {
public:
    // The hidden application window (null when there is none).
    virtual HWND AppWindow() const = 0;
    // Handles the exception being caught (call from inside a catch block).
    virtual void RouteException(TObject* sender) = 0;
    // The application icon, or the system's default application icon.
    virtual HICON CurrentIcon() = 0;
    // The application object's own icon handle, null when it has none.
    virtual HICON AppIconHandle() const = 0;
    // A control is being destroyed: the application forgets any reference to it.
    virtual void ForgetControl(TObject* control) = 0;

protected:
    ~TControlApplicationLink() = default;
};

// The application object as the control layer sees it; null before the
// application object exists and after it is destroyed.
TControlApplicationLink* ControlApplication();

// Called by the application object's layer when the object is made or destroyed.
void SetControlApplication(TControlApplicationLink* application);

// Handles the exception being caught in a window procedure or another
// framework boundary: through the application object when there is one,
// otherwise it is dropped so that it never crosses into the operating system.
void RouteBoundaryException(TObject* sender);
