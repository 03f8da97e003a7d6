// TControlCanvas: the drawing surface of a windowed control, a device context
// of its window taken on first need and kept until FreeHandle, in which text
// is measured in the control's font.
#pragma once

#include "platform/win32.h"
#include "runtime/object.h"

#include <string>

class TWinControl;

class TControlCanvas : public TObject {
public:
    DECLARE_CLASS_INFO()

    // The control whose window the surface draws on.
    void SetControl(TWinControl* control);
    TWinControl* Control() const { return FControl; }

    // A device context of the control's window (made when it does not exist
    // yet); EOutOfResources with the device-context message when there is none.
    HDC Handle();
    bool HandleAllocated() const { return FDC != nullptr; }
    // Gives the device context back (before the window goes).
    void FreeHandle();

    // The extent of the text in the control's font.
    SIZE TextExtent(const std::string& text);
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }

    void Destroy() override;

private:
    TWinControl* FControl = nullptr;
    HWND FWindow = nullptr; // the window FDC belongs to
    HDC FDC = nullptr;
};
