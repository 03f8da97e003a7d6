#include "framework/controls/hint_window.h"

constinit const TClass THintWindow::ClassInfo =
    MakeClass<THintWindow>("THintWindow", &TWinControl::ClassInfo);

const TClass* HintPopupClass = &THintWindow::ClassInfo;

void THintWindow::Create(TComponent* owner) {
    TWinControl::Create(owner);
    SetVisible(false);
}

void THintWindow::FillWindowParams(TWindowParams& params) {
    TWinControl::FillWindowParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW;
    params.Owner = nullptr;
}

bool THintWindow::IsHintMsg(const MSG& message) const {
    if (!HandleAllocated() || !IsWindowVisible(Window())) return false;
    UINT m = message.message;
    return (m >= WM_KEYFIRST && m <= WM_KEYLAST) ||
           (m >= WM_MOUSEFIRST + 1 && m <= WM_MOUSELAST) || // presses, not moves
           m == WM_ACTIVATE || m == WM_ACTIVATEAPP;
}

void THintWindow::ReleaseHandle() {
    DestroyHandle();
}
