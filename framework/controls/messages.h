// The framework's message record and its own window messages.
//
// Framework messages are numbered from 0xB000. A Win32 message number plus
// NotifyOffset is the notification the framework sends to the control that
// owns a window, so that the control can handle a message Windows sent to
// another window (key messages before dispatch, colour messages of children).
#pragma once

#include "platform/win32.h"

// A message as a window procedure receives it; Result is returned to Windows.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

enum : UINT {
    AM_ACTIVATED = 0xB000,       // the application became active
    AM_DEACTIVATED = 0xB001,     // the application became inactive
    AM_MOUSEENTER = 0xB013,      // the mouse entered a control
    AM_MOUSELEAVE = 0xB014,      // the mouse left a control
    AM_SHORTCUT = 0xB016,        // a form offers a key message as a shortcut
    AM_SYSCOMMAND = 0xB017,      // a system command for the primary form
    AM_PASSFOCUS = 0xB01A,       // the application window received the focus
    AM_ICONCHANGED = 0xB01D,     // the application icon changed
    AM_HELP = 0xB01F,            // a help request: wParam command, lParam data
    AM_HOOK = 0xB020,            // add (wParam 0) or remove a message hook
    AM_RELEASE = 0xB021,         // a form asks to be destroyed
    AM_DIALOG = 0xB031,          // query or set the active modeless dialog
    AM_BIDIMODECHANGED = 0xB03D, // the parent's bidirectional mode changed
    AM_ACTIONEXECUTE = 0xB03F,   // offer an action for execution
    AM_ACTIONUPDATE = 0xB040,    // offer an action for update
};

// Added to a Win32 message number to form the notification to the owning control.
inline constexpr UINT NotifyOffset = 0xBC00;
