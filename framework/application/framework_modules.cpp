#include "framework/application/framework_modules.h"

#include "framework/application/application.h"
#include "framework/controls/mouse.h"
#include "framework/forms/screen.h"
#include "runtime/format.h"

const TModuleStep ControlsModule{"Controls", &StartControlsModule, &StopControlsModule};
const TModuleStep FormsModule{"Forms", &StartFormsModule, &StopFormsModule};

namespace {

// Guards of the once-only steps (the runtime starts a module once, but tests
// and embedders may call the steps directly).
int controlsStarted = 0;
int formsStarted = 0;
ATOM windowAtom = 0;
ATOM controlAtom = 0;

} // namespace

void StartControlsModule() {
    if (controlsStarted++ != 0) return;
    ReadStartupSettings();
    // The atoms name the window-to-control association of this process and thread.
    windowAtom = GlobalAddAtomA(Format("WindowOwner%.8X", {GetCurrentProcessId()}).c_str());
    controlAtom = GlobalAddAtomA(
        Format("ControlOfs%.8X%.8X", {static_cast<unsigned long long>(
                                          reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
                                      GetCurrentThreadId()})
            .c_str());
    TheMouse = new TMouse();
    TheScreen = NewComponent<TScreen>(nullptr);
    TheApplication = NewComponent<TApplication>(nullptr);
    TheApplication->SetHintsOn(true);
}

void StopControlsModule() {
    if (controlsStarted == 0 || --controlsStarted != 0) return;
    // The application object is still reachable while it is destroyed: the
    // forms and controls it destroys may ask for it.
    FreeObject(TheApplication);
    TheApplication = nullptr;
    TScreen* screen = TheScreen;
    TheScreen = nullptr;
    FreeObject(screen);
    TMouse* mouse = TheMouse;
    TheMouse = nullptr;
    FreeObject(mouse);
    if (windowAtom) GlobalDeleteAtom(windowAtom);
    if (controlAtom) GlobalDeleteAtom(controlAtom);
    windowAtom = controlAtom = 0;
}

void StartFormsModule() {
    if (formsStarted++ != 0) return;
    InstallGlobalComponentLookup();
}

void StopFormsModule() {
    if (formsStarted == 0 || --formsStarted != 0) return;
    if (TheApplication) ReleaseAppForms();
}

void ReleaseAppForms() {
    TApplication* application = TheApplication;
    if (!application) return;
    if (application->AppWindow()) ShowOwnedPopups(application->AppWindow(), FALSE);
    application->SetHintsOn(false);
    // Every form knows from the start that they all go, not only the one
    // being destroyed.
    application->IncludeState(lsDestroying);
    for (int i = 0; i < application->ComponentCount(); ++i)
        application->Component(i)->IncludeState(lsDestroying);
    while (application->ComponentCount() > 0) {
        TComponent* last = application->Component(application->ComponentCount() - 1);
        FreeObject(last);
        // A component that did not leave the list on its own is taken out.
        if (application->ComponentCount() > 0 &&
            application->Component(application->ComponentCount() - 1) == last)
            application->RemoveComponent(last);
    }
}
