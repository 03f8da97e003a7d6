// Module start-up and shutdown in a fixed, explicit order, the exit chain,
// and the orderly exit.
//
// The program lists its modules once, in start-up order (see launcher's
// program entry). Start-up runs each module's start step once; the orderly
// exit runs the exit chain, then the stop steps of the started modules in
// reverse order, on the current stack, then ends the process. It is not a
// C++ exception: it works from anywhere, also from inside handlers whose
// callers catch every exception.
#pragma once

#include <span>

struct TModuleStep {
    const char* Name;
    void (*Start)(); // may be null
    void (*Stop)();  // may be null
};

// Runs the start steps of the modules in order. A module already started is
// not started again.
void StartModules(std::span<const TModuleStep> modules);

// Runs the stop steps of the started modules in reverse order, once each.
void StopModules();

// Pushes a procedure onto the exit chain; the chain runs last-in, first-out.
void AddExitStep(void (*step)());

// The orderly exit: exit chain, module shutdown, then the process ends with
// the status. A second call while the first is running ends the process at once.
[[noreturn]] void Halt(int status);

// Starts the modules, runs the main function and halts with its result. An
// exception that leaves a start step or the main function is handed to
// report (called inside the handler, so it can rethrow to look at it; null
// shows nothing) and the program halts with status 0: it never ends by
// std::terminate.
[[noreturn]] void RunProgram(std::span<const TModuleStep> modules, int (*main)(),
                             void (*report)() = nullptr);
