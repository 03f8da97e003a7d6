// TScreen: the process's screen object. It keeps the lists of live forms in
// creation order, the active form and control, and the screen's pixels per
// inch, and finds top-level components by name.
#pragma once

#include "framework/classes/component.h"
#include "platform/win32.h"

#include <string_view>
#include <vector>

class TCustomForm;
class TWinControl;

class TScreen : public TComponent {
public:
    DECLARE_CLASS_INFO()

    // Reads the screen's pixels per inch.
    void Create(TComponent* owner) override;

    int PixelsPerInch() const { return FPixelsPerInch; }
    // The screen object's pixels per inch, or the device's when there is no
    // screen object.
    static int ScreenPixelsPerInch();
    // The primary monitor, the first of the screen's monitors.
    static HMONITOR PrimaryMonitor();

    // Every live form (TCustomForm), in creation order.
    int CustomFormCount() const { return static_cast<int>(FAllForms.size()); }
    TCustomForm* CustomForms(int index) const { return FAllForms[static_cast<size_t>(index)]; }
    // The live forms that are TForm descendants, in creation order.
    int FormCount() const { return static_cast<int>(FPlainForms.size()); }
    TCustomForm* Forms(int index) const { return FPlainForms[static_cast<size_t>(index)]; }

    // The active form (a TForm), the active form of any kind, the focused
    // form, and the active control.
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
    TCustomForm* FocusedForm() const { return FFocusedForm; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    // Records the form that became active and its active control.
    void SetActive(TCustomForm* form, TWinControl* control);

    // Adds a form to the lists (a TForm also to the plain forms', and the
    // application window follows); a form leaves them on UnregisterForm.
    void RegisterForm(TCustomForm* form);
    void UnregisterForm(TCustomForm* form);
    // Forgets a form in the focus history (when it is destroyed).
    void ForgetFocus(TCustomForm* form);

    // Re-reads the metrics and fonts after a system setting change.
    void RefreshMetrics();
    // Drops the list of fonts (after WM_FONTCHANGE); it is read again on need.
    void DropFontList() { FFontsKnown = false; }
    bool FontListKnown() const { return FFontsKnown; }

    // The top-level component (a form of the lists) of that name, compared
    // without regard to ASCII case; forms that are embedded are passed over.
    TComponent* FindGlobalComponent(std::string_view name) const;

    void Destroy() override;

private:
    int FPixelsPerInch = 0;
    std::vector<TCustomForm*> FAllForms;
    std::vector<TCustomForm*> FPlainForms;
    std::vector<TCustomForm*> FFocusHistory;
    TCustomForm* FActiveForm = nullptr;
    TCustomForm* FActiveCustomForm = nullptr;
    TCustomForm* FFocusedForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    bool FFontsKnown = false;
};

// The screen object, made by the controls module's start-up just before the
// application object; null outside that span.
extern TScreen* TheScreen;

// Installs the lookup of top-level components by name that the form
// description reader uses for references between forms.
void InstallGlobalComponentLookup();
