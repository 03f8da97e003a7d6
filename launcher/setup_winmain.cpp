// Setup.exe's WinMain: starts the modules in their fixed order, runs the
// framework's main function (ProgramEntry) over the launcher's main form and
// ends through the orderly exit.
#include "framework/application/application_main.h"
#include "framework/application/framework_modules.h"
#include "framework/controls/graphics.h"
#include "framework/controls/menus.h"
#include "framework/streaming/streaming_module.h"
#include "launcher/unitmain.h"
#include "platform/win32.h"
#include "runtime/module_registry.h"
#include "runtime/modules.h"
#include "system/doublebyte.h"

namespace {

// The modules of the program, in start-up order; shutdown runs in reverse.
// The controls module makes the application object; the forms module starts
// after it and stops before it, so that the forms go before the application.
const TModuleStep programModules[] = {
    {"doublebyte", StartDoubleByteModule, nullptr},
    // Registers the program with the module its resources are read from (a
    // language resource file beside it, when there is one).
    {"runtime", StartModuleRegistry, StopModuleRegistry},
    // Stops last of the framework: drops references still waiting for a root.
    {"streaming", nullptr, StopStreamingModule},
    ControlsModule,
    // Identifier maps of colours, character sets and cursors; belongs after
    // the controls module and before the forms module.
    {"graphics", StartGraphicsModule, StopGraphicsModule},
    // Registers the menu item class for creation by name; the streaming
    // module empties the class registry at shutdown.
    MenusModule,
    FormsModule,
    // The launcher's message texts.
    UnitmainModule,
};

// The program's main function over the launcher's main form.
int LauncherMain() {
    return ProgramEntry(&TFormMain::ClassInfo, FormMain);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RunProgram(programModules, LauncherMain, ReportUncaughtException);
}
