// The baseline of the launcher's start-up benchmark: a program that starts
// the same runtime and host layer as Setup.exe (the double-byte state and the
// module registry with its language resource lookup), then ends through the
// orderly exit, without making the application object or reading a form.
#include "platform/win32.h"
#include "runtime/module_registry.h"
#include "runtime/modules.h"
#include "system/doublebyte.h"

namespace {

const TModuleStep baselineModules[] = {
    {"doublebyte", StartDoubleByteModule, nullptr},
    {"runtime", StartModuleRegistry, StopModuleRegistry},
};

int NothingToDo() {
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RunProgram(baselineModules, NothingToDo);
}
