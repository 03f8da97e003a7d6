#include "runtime/modules.h"

#include "platform/win32.h"

#include <vector>

namespace {

struct ModuleState {
    std::vector<const TModuleStep*> started; // in start-up order
    std::vector<void (*)()> exitChain;
    bool halting = false;
};

ModuleState& State() {
    static ModuleState state;
    return state;
}

// Shutdown goes on when a step raises: the process must end either way.
void RunGuarded(void (*step)()) {
    try {
        step();
    } catch (...) {
    }
}

} // namespace

void StartModules(std::span<const TModuleStep> modules) {
    ModuleState& state = State();
    for (const TModuleStep& module : modules) {
        bool already = false;
        for (const TModuleStep* started : state.started)
            already |= started == &module;
        if (already) continue;
        state.started.push_back(&module);
        if (module.Start) module.Start();
    }
}

void StopModules() {
    ModuleState& state = State();
    while (!state.started.empty()) {
        const TModuleStep* module = state.started.back();
        state.started.pop_back();
        if (module->Stop) RunGuarded(module->Stop);
    }
}

void AddExitStep(void (*step)()) {
    State().exitChain.push_back(step);
}

void Halt(int status) {
    ModuleState& state = State();
    if (!state.halting) {
        state.halting = true;
        while (!state.exitChain.empty()) {
            void (*step)() = state.exitChain.back();
            state.exitChain.pop_back();
            RunGuarded(step);
        }
        StopModules();
    }
    ExitProcess(static_cast<UINT>(status));
}

void RunProgram(std::span<const TModuleStep> modules, int (*main)(), void (*report)()) {
    int status = 0;
    try {
        StartModules(modules);
        status = main();
    } catch (...) {
        // The report is the last word: whatever it raises itself is dropped.
        if (report) RunGuarded(report);
    }
    Halt(status);
}
