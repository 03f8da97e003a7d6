#include "framework/forms/screen.h"

#include "framework/forms/application_link.h"
#include "framework/forms/form.h"
#include "framework/streaming/registries.h"

#include <algorithm>

constinit const TClass TScreen::ClassInfo = MakeClass<TScreen>("TScreen", &TComponent::ClassInfo);

TScreen* TheScreen = nullptr;

namespace {
template <class T> void Forget(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
} // namespace

namespace {
int DevicePixelsPerInch() {
    HDC dc = GetDC(nullptr);
    int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return pixelsPerInch;
}
} // namespace

void TScreen::Create(TComponent* owner) {
    TComponent::Create(owner);
    FPixelsPerInch = DevicePixelsPerInch();
}

int TScreen::ScreenPixelsPerInch() {
    return TheScreen ? TheScreen->PixelsPerInch() : DevicePixelsPerInch();
}

HMONITOR TScreen::PrimaryMonitor() {
    return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

void TScreen::SetActive(TCustomForm* form, TWinControl* control) {
    FActiveCustomForm = form;
    FActiveForm = As<TForm>(form);
    FFocusedForm = form;
    FActiveControl = control;
    if (form) {
        Forget(FFocusHistory, form);
        FFocusHistory.push_back(form);
    }
}

void TScreen::RegisterForm(TCustomForm* form) {
    FAllForms.push_back(form);
    if (!As<TForm>(form)) return;
    FPlainForms.push_back(form);
    if (TFormApplicationLink* application = FormApplication()) application->FollowFormVisibility();
}

void TScreen::UnregisterForm(TCustomForm* form) {
    Forget(FAllForms, form);
    Forget(FPlainForms, form);
    ForgetFocus(form);
    if (FActiveForm == form) FActiveForm = nullptr;
    if (FActiveCustomForm == form) FActiveCustomForm = nullptr;
    if (FFocusedForm == form) FFocusedForm = nullptr;
    if (FActiveControl && FActiveControl->Owner() == form) FActiveControl = nullptr;
    if (TFormApplicationLink* application = FormApplication()) {
        application->FollowFormVisibility();
        if (FAllForms.empty()) application->ReleaseHintWindow();
    }
}

void TScreen::ForgetFocus(TCustomForm* form) {
    Forget(FFocusHistory, form);
}

void TScreen::RefreshMetrics() {
    FPixelsPerInch = DevicePixelsPerInch();
    FFontsKnown = false;
}

TComponent* TScreen::FindGlobalComponent(std::string_view name) const {
    for (TCustomForm* form : FAllForms)
        if (!form->HasState(lsEmbedded) && SameName(form->Name(), name)) return form;
    return nullptr;
}

void TScreen::Destroy() {
    FAllForms.clear();
    FPlainForms.clear();
    FFocusHistory.clear();
    TComponent::Destroy();
}

// --- The application link of the form layer ----------------------------------------

namespace {
TFormApplicationLink* formApplication = nullptr;
}

TFormApplicationLink* FormApplication() {
    return formApplication;
}

void SetFormApplication(TFormApplicationLink* application) {
    formApplication = application;
    SetControlApplication(application);
}

// --- The lookup of top-level components ----------------------------------------------

namespace {
TComponent* LookupTopLevelComponent(std::string_view name) {
    return TheScreen ? TheScreen->FindGlobalComponent(name) : nullptr;
}
} // namespace

void InstallGlobalComponentLookup() {
    GlobalComponentLookup = &LookupTopLevelComponent;
}
