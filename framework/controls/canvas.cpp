#include "framework/controls/canvas.h"

#include "framework/controls/control.h"
#include "framework/controls/font.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

constinit const TClass TControlCanvas::ClassInfo =
    MakeClass<TControlCanvas>("TControlCanvas", &TObject::ClassInfo);

void TControlCanvas::SetControl(TWinControl* control) {
    if (control == control_) return;
    FreeHandle();
    control_ = control;
}

HDC TControlCanvas::Handle() {
    if (!dc_ && control_) {
        HWND window = control_->Handle();
        dc_ = GetDC(window);
        if (!dc_) throw EOutOfResources(LoadResString(SWindowDCError));
        window_ = window;
    }
    return dc_;
}

void TControlCanvas::FreeHandle() {
    if (dc_) ReleaseDC(window_, dc_);
    dc_ = nullptr;
    window_ = nullptr;
}

SIZE TControlCanvas::TextExtent(const std::string& text) {
    SIZE size{0, 0};
    HDC dc = Handle();
    if (!dc) return size;
    // The control's font is selected only for the measurement, so that the
    // font may be remade (and its old handle deleted) between two of them.
    HGDIOBJ previous = SelectObject(dc, control_->Font()->Handle());
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    return size;
}

void TControlCanvas::Destroy() {
    FreeHandle();
    TObject::Destroy();
}
