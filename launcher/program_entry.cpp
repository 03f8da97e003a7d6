// The program's entry: starts the modules in their fixed order, runs the main
// function and ends through the orderly exit.
#include "platform/win32.h"
#include "runtime/modules.h"
#include "system/doublebyte.h"

namespace {

// The modules of the program, in start-up order; shutdown runs in reverse.
const TModuleStep programModules[] = {
    {"doublebyte", StartDoubleByteModule, nullptr},
    {"runtime", nullptr, nullptr},
};

int ProgramMain() { return 0; }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { RunProgram(programModules, ProgramMain); }
