// TMouse: the mouse settings the framework consults, re-read when the
// system's settings change.
#pragma once

#include "platform/win32.h"
#include "runtime/object.h"

class TMouse : public TObject {
public:
    DECLARE_CLASS_INFO()

    TMouse();
    bool MousePresent() const { return FMousePresent; }
    bool WheelPresent() const { return FWheelPresent; }
    // Told of WM_WININICHANGE (setting in wParam): re-reads the settings.
    void SettingChanged(WPARAM setting);

private:
    void ReadSettings();
    bool FMousePresent = false;
    bool FWheelPresent = false;
};

// The process's mouse object, made by the controls module's start-up.
extern TMouse* TheMouse;
