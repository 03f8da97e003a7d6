#include "framework/controls/canvas.h"

#include "framework/controls/control.h"
#include "framework/controls/font.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

constinit const TClass TControlCanvas::ClassInfo =
    MakeClass<TControlCanvas>("TControlCanvas", &TObject::ClassInfo);

void TControlCanvas::SetControl(TWinControl* control) {
    if (control == FControl) return;
    FreeHandle();
    FControl = control;
}

HDC TControlCanvas::Handle() {
    if (!FDC && FControl) {
        HWND window = FControl->Handle();
        FDC = GetDC(window);
        if (!FDC) throw EOutOfResources(LoadResString(SWindowDCError));
        FWindow = window;
    }
    return FDC;
}

void TControlCanvas::FreeHandle() {
    if (FDC) ReleaseDC(FWindow, FDC);
    FDC = nullptr;
    FWindow = nullptr;
}

SIZE TControlCanvas::TextExtent(const std::string& text) {
    SIZE size{0, 0};
    HDC dc = Handle();
    if (!dc) return size;
    // The control's font is selected only for the measurement, so that the
    // font may be remade (and its old handle deleted) between two of them.
    HGDIOBJ previous = SelectObject(dc, FControl->Font()->Handle());
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    return size;
}

void TControlCanvas::Destroy() {
    FreeHandle();
    TObject::Destroy();
}
